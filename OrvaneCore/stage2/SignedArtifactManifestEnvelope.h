#pragma once

#include "json/JsonCodecs.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QString>

#include <cstdint>

namespace orvane {

// The signed container of a manifest: the payload bytes exactly as signed and their Ed25519
// signature. In JSON the bytes are standard Base64 text.
struct SignedArtifactManifestEnvelope {
    // Enough for the largest payload a verifier accepts (8 MiB, 11,184,812 Base64 characters) even
    // when every "/" of its Base64 is written "\/", as our own writer does, with its signature, keys
    // and generous white space; a larger document is not parsed.
    static constexpr qsizetype maximumEncodedByteCount = 24 * 1024 * 1024;
    static constexpr int maximumNestingDepth = 32;

    std::int64_t schemaVersion = 0;
    QString keyID;
    QByteArray payload;
    QByteArray signature;

    bool operator==(const SignedArtifactManifestEnvelope&) const = default;
};

QJsonObject toJson(const SignedArtifactManifestEnvelope& envelope);
// All four keys required; the Base64 texts are read strictly.
template <>
SignedArtifactManifestEnvelope fromJson<SignedArtifactManifestEnvelope>(const QJsonValue& value);

// An envelope from the bytes of an outside document. Its size is checked before anything is parsed,
// and a document with a repeated key or deep nesting is refused; every refusal is a DecodingError.
SignedArtifactManifestEnvelope decodeSignedArtifactManifestEnvelope(QByteArrayView json);

} // namespace orvane
