#pragma once

#include "model/LaunchEvent.h"
#include "model/LaunchMode.h"
#include "model/LaunchObservation.h"
#include "model/LaunchProviderID.h"
#include "model/LaunchResultState.h"
#include "model/PackDescriptor.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>
#include <vector>

namespace orvane {

// The outcome of one provider launch. The records accept any values; the session checks them
// against the launch contract.
struct LaunchResult {
    QUuid operationID;
    PackDescriptor pack;
    LaunchProviderID providerID;
    LaunchMode mode;
    QDateTime startedAt;
    QDateTime finishedAt;
    std::vector<LaunchEvent> events; // every event the provider reported, in order
    LaunchResultState state;
    QString message; // one user-facing summary
    std::optional<LaunchObservation> legacyObservation; // only from providers that observe the game

    bool operator==(const LaunchResult&) const = default;
};

QJsonObject toJson(const LaunchResult& result);
template <>
LaunchResult fromJson<LaunchResult>(const QJsonValue& value);

} // namespace orvane
