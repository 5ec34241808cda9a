#pragma once

#include "json/EnumNames.h"
#include "json/JsonCodecs.h"
#include "json/JsonReader.h"

#include <QJsonObject>
#include <QString>

#include <array>
#include <optional>

namespace orvane {

// How a watched launch ended; written as the case name.
enum class LaunchOutcome {
    openedTechnicWaitingForPlayer,
    javaStarted,
    forgeLoaded,
    crashDetected,
    technicMissing,
    timedOut,
};

template <>
struct EnumNames<LaunchOutcome> {
    static constexpr std::array names{"openedTechnicWaitingForPlayer", "javaStarted", "forgeLoaded",
                                      "crashDetected", "technicMissing", "timedOut"};
};

// What one watch of a game start saw.
struct LaunchObservation {
    bool openedTechnic = false;
    bool technicRunning = false;
    bool javaRunning = false;
    std::optional<QString> javaArchitecture;
    std::optional<bool> translated;
    QString logExcerpt;
    LaunchOutcome outcome = LaunchOutcome::timedOut;
    QString message;

    bool operator==(const LaunchObservation&) const = default;
};

inline QJsonObject toJson(const LaunchObservation& observation)
{
    QJsonObject object;
    object.insert(QStringLiteral("openedTechnic"), observation.openedTechnic);
    object.insert(QStringLiteral("technicRunning"), observation.technicRunning);
    object.insert(QStringLiteral("javaRunning"), observation.javaRunning);
    insertOptional(object, QStringLiteral("javaArchitecture"), observation.javaArchitecture);
    insertOptional(object, QStringLiteral("translated"), observation.translated, [](bool b) { return QJsonValue(b); });
    object.insert(QStringLiteral("logExcerpt"), observation.logExcerpt);
    object.insert(QStringLiteral("outcome"), toJsonEnum(observation.outcome));
    object.insert(QStringLiteral("message"), observation.message);
    return object;
}

template <>
inline LaunchObservation fromJson<LaunchObservation>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("LaunchObservation"));
    return LaunchObservation{
        r.boolean(QStringLiteral("openedTechnic")),
        r.boolean(QStringLiteral("technicRunning")),
        r.boolean(QStringLiteral("javaRunning")),
        r.optionalString(QStringLiteral("javaArchitecture")),
        r.optionalBoolean(QStringLiteral("translated")),
        r.string(QStringLiteral("logExcerpt")),
        r.enumeration<LaunchOutcome>(QStringLiteral("outcome")),
        r.string(QStringLiteral("message")),
    };
}

} // namespace orvane
