#include "stage2/TechnicBridgeEvent.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const TechnicBridgeEvent& event)
{
    QJsonObject o;
    o.insert(QStringLiteral("protocolVersion"), toJsonInteger(event.protocolVersion));
    o.insert(QStringLiteral("requestID"), toJsonUuid(event.requestID));
    o.insert(QStringLiteral("kind"), toJsonEnum(event.kind));
    insertOptional(o, QStringLiteral("progress"), event.progress, toJsonNumber);
    o.insert(QStringLiteral("message"), event.message);
    insertOptional(o, QStringLiteral("code"), event.code);
    insertOptional(o, QStringLiteral("packs"), event.packs, [](const std::vector<TechnicBridgePack>& packs) {
        return toJsonArray(packs, [](const TechnicBridgePack& pack) { return toJson(pack); });
    });
    insertOptional(o, QStringLiteral("completedBytes"), event.completedBytes, toJsonUnsigned);
    insertOptional(o, QStringLiteral("totalBytes"), event.totalBytes, toJsonUnsigned);
    insertOptional(o, QStringLiteral("processID"), event.processID,
                   [](std::int32_t id) { return toJsonInteger(id); });
    insertOptional(o, QStringLiteral("retryable"), event.retryable, [](bool b) { return QJsonValue(b); });
    return o;
}

template <>
TechnicBridgeEvent fromJson<TechnicBridgeEvent>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("TechnicBridgeEvent"));
    TechnicBridgeEvent e;
    e.protocolVersion = r.integer(QStringLiteral("protocolVersion"));
    e.requestID = r.uuid(QStringLiteral("requestID"));
    e.kind = r.enumeration<TechnicBridgeEventKind>(QStringLiteral("kind"));
    e.progress = r.optional(QStringLiteral("progress"), decodeNumber);
    e.message = r.string(QStringLiteral("message"));
    e.code = r.optionalString(QStringLiteral("code"));
    if (r.has(QStringLiteral("packs")))
        e.packs = r.list(QStringLiteral("packs"), decodeTechnicBridgePack);
    e.completedBytes = r.optional(QStringLiteral("completedBytes"), decodeUnsigned);
    e.totalBytes = r.optional(QStringLiteral("totalBytes"), decodeUnsigned);
    e.processID = r.optional(QStringLiteral("processID"), [](const QJsonValue& v, const QString& what) {
        return std::int32_t(decodeInteger(v, what, INT32_MIN, INT32_MAX));
    });
    e.retryable = r.optionalBoolean(QStringLiteral("retryable"));
    return e;
}

} // namespace orvane
