#pragma once

#include "json/JsonDateDecodingStrategy.h"
#include "stage2/AuthorizedArtifactManifest.h"
#include "stage2/SignedArtifactManifestEnvelope.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <vector>

namespace orvane {

// A public key the caller trusts to sign manifests for one provider. It has no JSON form: pinned
// keys come from the caller, never from a document.
struct PinnedManifestSigningKey {
    QString keyID;
    QString providerID;
    QByteArray publicKey; // 32 raw Ed25519 bytes

    bool operator==(const PinnedManifestSigningKey&) const = default;
};

// A manifest whose signature holds; it still has to be validated before anything in it is trusted.
struct VerifiedArtifactManifest {
    QString keyID;
    QString payloadSHA256; // of the payload bytes as sent, lowercase hexadecimal
    AuthorizedArtifactManifest manifest;

    bool operator==(const VerifiedArtifactManifest&) const = default;
};

// Accepts an envelope only when one of the pinned keys signed it and the manifest inside names that
// key's provider. Immutable once built; verification may run on any thread.
class ArtifactManifestSignatureVerifier final {
public:
    static constexpr std::int64_t supportedEnvelopeSchemaVersion = 1;
    static constexpr qsizetype maximumPayloadByteCount = 8'388'608;
    static constexpr std::size_t maximumKeyCount = 32;
    static constexpr qsizetype signatureByteCount = 64;
    static constexpr int maximumPayloadNestingDepth = 32;

    // Refuses with OrvaneError::policyDenied; a key the crypto library cannot read passes its
    // Ed25519KeyError on.
    explicit ArtifactManifestSignatureVerifier(const std::vector<PinnedManifestSigningKey>& pinnedKeys);

    // Checks the envelope, then its signature, and only then decodes the payload, reading its dates
    // with `dates` (how the provider writes them).
    VerifiedArtifactManifest verify(const SignedArtifactManifestEnvelope& envelope,
                                    JsonDateDecodingStrategy dates) const;

    const std::map<QString, PinnedManifestSigningKey>& keysByID() const { return m_keysByID; }

private:
    std::map<QString, PinnedManifestSigningKey> m_keysByID;
};

} // namespace orvane
