#include "stage2/SignedArtifactManifestEnvelope.h"

#include "json/DecodingError.h"
#include "json/JsonReader.h"
#include "json/StrictBase64.h"
#include "json/StrictJsonCheck.h"

namespace orvane {

QJsonObject toJson(const SignedArtifactManifestEnvelope& envelope)
{
    QJsonObject o;
    o.insert(QStringLiteral("schemaVersion"), toJsonInteger(envelope.schemaVersion));
    o.insert(QStringLiteral("keyID"), envelope.keyID);
    o.insert(QStringLiteral("payload"), toJsonBase64(envelope.payload));
    o.insert(QStringLiteral("signature"), toJsonBase64(envelope.signature));
    return o;
}

template <>
SignedArtifactManifestEnvelope fromJson<SignedArtifactManifestEnvelope>(const QJsonValue& value)
{
    const QString context = QStringLiteral("SignedArtifactManifestEnvelope");
    const JsonReader r(value, context);
    SignedArtifactManifestEnvelope e;
    e.schemaVersion = r.integer(QStringLiteral("schemaVersion"));
    e.keyID = r.string(QStringLiteral("keyID"));
    e.payload = decodeBase64(r.required(QStringLiteral("payload")), context + QStringLiteral(".payload"));
    e.signature = decodeBase64(r.required(QStringLiteral("signature")), context + QStringLiteral(".signature"));
    return e;
}

SignedArtifactManifestEnvelope decodeSignedArtifactManifestEnvelope(QByteArrayView json)
{
    if (json.size() > SignedArtifactManifestEnvelope::maximumEncodedByteCount)
        throw DecodingError(QStringLiteral("The signed manifest envelope is %1 bytes; the maximum is %2.")
                                .arg(json.size())
                                .arg(SignedArtifactManifestEnvelope::maximumEncodedByteCount));
    const QJsonDocument document = parseStrictJson(json, SignedArtifactManifestEnvelope::maximumNestingDepth);
    if (!document.isObject())
        throw DecodingError(QStringLiteral("Invalid JSON in SignedArtifactManifestEnvelope: expected an object."));
    return fromJson<SignedArtifactManifestEnvelope>(document.object());
}

} // namespace orvane
