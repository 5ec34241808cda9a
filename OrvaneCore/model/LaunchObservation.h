#pragma once

#include "json/JsonCodecs.h"
#include "model/LaunchOutcome.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace orvane {

// What one watch of a game start saw.
struct LaunchObservation {
    bool openedTechnic = false;
    bool technicRunning = false;
    bool javaRunning = false;
    std::optional<QString> javaArchitecture; // absent when the game's Java was never seen
    std::optional<bool> translated;          // likewise
    QString logExcerpt;                      // already redacted
    LaunchOutcome outcome = LaunchOutcome::openedTechnicWaitingForPlayer;
    QString message;

    bool operator==(const LaunchObservation&) const = default;
};

QJsonObject toJson(const LaunchObservation& observation);
template <>
LaunchObservation fromJson<LaunchObservation>(const QJsonValue& value);

} // namespace orvane
