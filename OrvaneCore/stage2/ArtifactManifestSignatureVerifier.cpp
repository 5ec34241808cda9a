#include "stage2/ArtifactManifestSignatureVerifier.h"

#include "json/DecodingError.h"
#include "json/StrictJsonCheck.h"
#include "model/OrvaneError.h"
#include "platform/Ed25519.h"
#include "platform/HexDigest.h"
#include "platform/Sha256.h"
#include "stage2/ManifestFieldRules.h"

namespace orvane {

namespace {

[[noreturn]] void refuse(const char* text)
{
    throw OrvaneError::policyDenied(QString::fromUtf8(text));
}

const QString signingKeyIdLabel = QStringLiteral("signing key id");

AuthorizedArtifactManifest decodePayload(const QByteArray& payload, JsonDateDecodingStrategy dates)
{
    try {
        const QJsonDocument document =
            parseStrictJson(payload, ArtifactManifestSignatureVerifier::maximumPayloadNestingDepth);
        // A top-level array or scalar fails here as the wrong type.
        const QJsonValue top = document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
        return decodeAuthorizedArtifactManifest(top, dates);
    } catch (const DecodingError&) {
        refuse("Signed artifact manifest payload is invalid JSON.");
    }
}

} // namespace

ArtifactManifestSignatureVerifier::ArtifactManifestSignatureVerifier(
    const std::vector<PinnedManifestSigningKey>& pinnedKeys)
{
    if (pinnedKeys.empty() || pinnedKeys.size() > maximumKeyCount)
        refuse("Manifest signing-key set is empty or too large.");
    std::map<QString, PinnedManifestSigningKey> keys;
    for (const auto& key : pinnedKeys) {
        requireManifestIdentifier(key.keyID, signingKeyIdLabel);
        requireManifestIdentifier(key.providerID, QStringLiteral("signing-key provider id"));
        if (keys.contains(key.keyID))
            throw OrvaneError::policyDenied(QStringLiteral("Duplicate manifest signing key id: ") + key.keyID);
        [[maybe_unused]] const Ed25519PublicKey parsed(key.publicKey); // throws when the bytes are not a key
        keys.emplace(key.keyID, key);
    }
    m_keysByID = std::move(keys);
}

VerifiedArtifactManifest ArtifactManifestSignatureVerifier::verify(const SignedArtifactManifestEnvelope& envelope,
                                                                   JsonDateDecodingStrategy dates) const
{
    if (envelope.schemaVersion != supportedEnvelopeSchemaVersion)
        refuse("Unsupported signed-manifest envelope schema.");
    requireManifestIdentifier(envelope.keyID, signingKeyIdLabel);
    const auto found = m_keysByID.find(envelope.keyID);
    if (found == m_keysByID.end())
        refuse("Artifact manifest uses an unknown signing key.");
    const PinnedManifestSigningKey& key = found->second;
    if (envelope.payload.isEmpty() || envelope.payload.size() > maximumPayloadByteCount)
        refuse("Signed artifact manifest payload has an invalid size.");
    if (envelope.signature.size() != signatureByteCount)
        refuse("Artifact manifest signature has an invalid size.");
    if (!Ed25519PublicKey(key.publicKey).isValidSignature(envelope.signature, envelope.payload))
        refuse("Artifact manifest signature verification failed.");

    AuthorizedArtifactManifest manifest = decodePayload(envelope.payload, dates);
    if (manifest.providerID != key.providerID)
        refuse("Artifact manifest provider does not match its signing key.");

    return VerifiedArtifactManifest{
        envelope.keyID,
        hexDigest(Sha256::digest(envelope.payload)),
        std::move(manifest),
    };
}

} // namespace orvane
