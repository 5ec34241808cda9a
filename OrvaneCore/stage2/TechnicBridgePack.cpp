#include "stage2/TechnicBridgePack.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const TechnicBridgePack& pack)
{
    QJsonObject o;
    o.insert(QStringLiteral("packID"), toJson(pack.packID));
    o.insert(QStringLiteral("name"), pack.name);
    o.insert(QStringLiteral("version"), pack.version);
    o.insert(QStringLiteral("supportedProfileIDs"), toJsonStringArray(pack.supportedProfileIDs));
    return o;
}

TechnicBridgePack decodeTechnicBridgePack(const QJsonValue& value, const QString& what)
{
    const JsonReader r(value, what);
    return TechnicBridgePack{
        decodePackID(r.required(QStringLiteral("packID")), what + QStringLiteral(".packID")),
        r.string(QStringLiteral("name")),
        r.string(QStringLiteral("version")),
        r.strings(QStringLiteral("supportedProfileIDs")),
    };
}

template <>
TechnicBridgePack fromJson<TechnicBridgePack>(const QJsonValue& value)
{
    return decodeTechnicBridgePack(value, QStringLiteral("TechnicBridgePack"));
}

} // namespace orvane
