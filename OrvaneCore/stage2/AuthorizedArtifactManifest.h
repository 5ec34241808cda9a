#pragma once

#include "json/JsonCodecs.h"
#include "json/JsonDateDecodingStrategy.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <vector>

namespace orvane {

// One deliverable file of a signed manifest.
struct AuthorizedArtifact {
    QString id;
    QString version;
    // The source URL exactly as the manifest wrote it. Kept as text because QUrl rewrites what the
    // source check has to see (it decodes "%41" to "A" and lower-cases the host); decoding still
    // requires a valid URL.
    QString sourceURL;
    QString relativePath;
    QString sha256;
    std::uint64_t byteCount = 0;
    QString license;
    QString rightsRecordID;

    bool operator==(const AuthorizedArtifact&) const = default;
};

// The signed payload: what a provider authorises for one pack version, and for how long.
struct AuthorizedArtifactManifest {
    std::int64_t schemaVersion = 0;
    QString id;
    QString packID;
    QString providerID;
    QString packVersion;
    QDateTime issuedAt;
    QDateTime expiresAt;
    std::vector<AuthorizedArtifact> artifacts;

    bool operator==(const AuthorizedArtifactManifest&) const = default;
};

// A non-empty text that parses strictly as a URL: what a source URL must at least be.
bool parsesAsURL(const QString& text);

QJsonObject toJson(const AuthorizedArtifact& artifact);
// Dates are written in ISO 8601.
QJsonObject toJson(const AuthorizedArtifactManifest& manifest);

AuthorizedArtifact decodeAuthorizedArtifact(const QJsonValue& value, const QString& what);
// Reads the dates with the strategy the document's writer used.
AuthorizedArtifactManifest decodeAuthorizedArtifactManifest(const QJsonValue& value,
                                                            JsonDateDecodingStrategy dates);

template <>
AuthorizedArtifact fromJson<AuthorizedArtifact>(const QJsonValue& value);
// ISO 8601 dates.
template <>
AuthorizedArtifactManifest fromJson<AuthorizedArtifactManifest>(const QJsonValue& value);

} // namespace orvane
