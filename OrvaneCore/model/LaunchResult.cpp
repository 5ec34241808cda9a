#include "model/LaunchResult.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const LaunchResult& result)
{
    QJsonObject object;
    object.insert(QStringLiteral("operationID"), toJsonUuid(result.operationID));
    object.insert(QStringLiteral("pack"), toJson(result.pack));
    object.insert(QStringLiteral("providerID"), toJson(result.providerID));
    object.insert(QStringLiteral("mode"), toJsonEnum(result.mode));
    object.insert(QStringLiteral("startedAt"), toJsonDate(result.startedAt));
    object.insert(QStringLiteral("finishedAt"), toJsonDate(result.finishedAt));
    object.insert(QStringLiteral("events"),
                  toJsonArray(result.events, [](const LaunchEvent& e) { return toJson(e); }));
    object.insert(QStringLiteral("state"), toJsonEnum(result.state));
    object.insert(QStringLiteral("message"), result.message);
    insertOptional(object, QStringLiteral("legacyObservation"), result.legacyObservation,
                   [](const LaunchObservation& o) { return toJson(o); });
    return object;
}

template <>
LaunchResult fromJson<LaunchResult>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("LaunchResult"));
    return LaunchResult{
        r.uuid(QStringLiteral("operationID")),
        fromJson<PackDescriptor>(r.required(QStringLiteral("pack"))),
        decodeLaunchProviderID(r.required(QStringLiteral("providerID")), QStringLiteral("LaunchResult.providerID")),
        r.enumeration<LaunchMode>(QStringLiteral("mode")),
        r.date(QStringLiteral("startedAt")),
        r.date(QStringLiteral("finishedAt")),
        r.list(QStringLiteral("events"), decodeLaunchEvent),
        r.enumeration<LaunchResultState>(QStringLiteral("state")),
        r.string(QStringLiteral("message")),
        r.optional(QStringLiteral("legacyObservation"),
                   [](const QJsonValue& v, const QString&) { return fromJson<LaunchObservation>(v); }),
    };
}

} // namespace orvane
