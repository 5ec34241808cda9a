#include "stage2/TechnicBridgeRequest.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const TechnicBridgeRequest& request)
{
    QJsonObject o;
    o.insert(QStringLiteral("protocolVersion"), toJsonInteger(request.protocolVersion));
    o.insert(QStringLiteral("requestID"), toJsonUuid(request.requestID));
    o.insert(QStringLiteral("operation"), toJsonEnum(request.operation));
    insertOptional(o, QStringLiteral("packID"), request.packID, [](const PackID& id) { return toJson(id); });
    insertOptional(o, QStringLiteral("profileID"), request.profileID);
    insertOptional(o, QStringLiteral("targetRequestID"), request.targetRequestID, toJsonUuid);
    return o;
}

template <>
TechnicBridgeRequest fromJson<TechnicBridgeRequest>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("TechnicBridgeRequest"));
    return TechnicBridgeRequest{
        r.integer(QStringLiteral("protocolVersion")),
        r.uuid(QStringLiteral("requestID")),
        r.enumeration<TechnicBridgeOperation>(QStringLiteral("operation")),
        r.optional(QStringLiteral("packID"), decodePackID),
        r.optionalString(QStringLiteral("profileID")),
        r.optional(QStringLiteral("targetRequestID"), decodeUuid),
    };
}

} // namespace orvane
