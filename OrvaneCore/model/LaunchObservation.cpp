#include "model/LaunchObservation.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const LaunchObservation& observation)
{
    QJsonObject o;
    o.insert(QStringLiteral("openedTechnic"), observation.openedTechnic);
    o.insert(QStringLiteral("technicRunning"), observation.technicRunning);
    o.insert(QStringLiteral("javaRunning"), observation.javaRunning);
    insertOptional(o, QStringLiteral("javaArchitecture"), observation.javaArchitecture);
    insertOptional(o, QStringLiteral("translated"), observation.translated, [](bool b) { return QJsonValue(b); });
    o.insert(QStringLiteral("logExcerpt"), observation.logExcerpt);
    o.insert(QStringLiteral("outcome"), toJsonEnum(observation.outcome));
    o.insert(QStringLiteral("message"), observation.message);
    return o;
}

template <>
LaunchObservation fromJson<LaunchObservation>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("LaunchObservation"));
    return LaunchObservation{
        .openedTechnic = r.boolean(QStringLiteral("openedTechnic")),
        .technicRunning = r.boolean(QStringLiteral("technicRunning")),
        .javaRunning = r.boolean(QStringLiteral("javaRunning")),
        .javaArchitecture = r.optionalString(QStringLiteral("javaArchitecture")),
        .translated = r.optionalBoolean(QStringLiteral("translated")),
        .logExcerpt = r.string(QStringLiteral("logExcerpt")),
        .outcome = r.enumeration<LaunchOutcome>(QStringLiteral("outcome")),
        .message = r.string(QStringLiteral("message")),
    };
}

} // namespace orvane
