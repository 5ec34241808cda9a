#include "model/LaunchEvent.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const LaunchEvent& event)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), toJsonUuid(event.id));
    object.insert(QStringLiteral("operationID"), toJsonUuid(event.operationID));
    object.insert(QStringLiteral("providerID"), toJson(event.providerID));
    object.insert(QStringLiteral("packID"), toJson(event.packID));
    object.insert(QStringLiteral("kind"), toJsonEnum(event.kind));
    object.insert(QStringLiteral("occurredAt"), toJsonDate(event.occurredAt));
    object.insert(QStringLiteral("message"), event.message);
    return object;
}

LaunchEvent decodeLaunchEvent(const QJsonValue& value, const QString& what)
{
    const JsonReader r(value, what);
    return LaunchEvent{
        r.uuid(QStringLiteral("id")),
        r.uuid(QStringLiteral("operationID")),
        decodeLaunchProviderID(r.required(QStringLiteral("providerID")), what + QStringLiteral(".providerID")),
        decodePackID(r.required(QStringLiteral("packID")), what + QStringLiteral(".packID")),
        r.enumeration<LaunchEventKind>(QStringLiteral("kind")),
        r.date(QStringLiteral("occurredAt")),
        r.string(QStringLiteral("message")),
    };
}

template <>
LaunchEvent fromJson<LaunchEvent>(const QJsonValue& value)
{
    return decodeLaunchEvent(value, QStringLiteral("LaunchEvent"));
}

} // namespace orvane
