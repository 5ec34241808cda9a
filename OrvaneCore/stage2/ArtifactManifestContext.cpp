#include "stage2/ArtifactManifestContext.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const ArtifactManifestContext& context)
{
    QJsonObject o;
    o.insert(QStringLiteral("packID"), context.packID);
    o.insert(QStringLiteral("providerID"), context.providerID);
    o.insert(QStringLiteral("packVersion"), context.packVersion);
    return o;
}

template <>
ArtifactManifestContext fromJson<ArtifactManifestContext>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("ArtifactManifestContext"));
    ArtifactManifestContext c;
    c.packID = r.string(QStringLiteral("packID"));
    c.providerID = r.string(QStringLiteral("providerID"));
    c.packVersion = r.string(QStringLiteral("packVersion"));
    return c;
}

} // namespace orvane
