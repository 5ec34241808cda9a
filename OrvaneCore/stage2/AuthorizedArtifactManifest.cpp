#include "stage2/AuthorizedArtifactManifest.h"

#include "json/JsonReader.h"

#include <QUrl>

namespace orvane {

namespace {

QString decodeUrlText(const QJsonValue& value, const QString& what)
{
    const QString text = decodeString(value, what);
    if (!parsesAsURL(text))
        throwDecoding(what, QStringLiteral("\"%1\" is not a URL").arg(text));
    return text;
}

} // namespace

bool parsesAsURL(const QString& text)
{
    return !text.isEmpty() && QUrl(text, QUrl::StrictMode).isValid();
}

QJsonObject toJson(const AuthorizedArtifact& artifact)
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), artifact.id);
    o.insert(QStringLiteral("version"), artifact.version);
    o.insert(QStringLiteral("sourceURL"), artifact.sourceURL);
    o.insert(QStringLiteral("relativePath"), artifact.relativePath);
    o.insert(QStringLiteral("sha256"), artifact.sha256);
    o.insert(QStringLiteral("byteCount"), toJsonUnsigned(artifact.byteCount));
    o.insert(QStringLiteral("license"), artifact.license);
    o.insert(QStringLiteral("rightsRecordID"), artifact.rightsRecordID);
    return o;
}

QJsonObject toJson(const AuthorizedArtifactManifest& manifest)
{
    QJsonObject o;
    o.insert(QStringLiteral("schemaVersion"), toJsonInteger(manifest.schemaVersion));
    o.insert(QStringLiteral("id"), manifest.id);
    o.insert(QStringLiteral("packID"), manifest.packID);
    o.insert(QStringLiteral("providerID"), manifest.providerID);
    o.insert(QStringLiteral("packVersion"), manifest.packVersion);
    o.insert(QStringLiteral("issuedAt"), toJsonDate(manifest.issuedAt));
    o.insert(QStringLiteral("expiresAt"), toJsonDate(manifest.expiresAt));
    o.insert(QStringLiteral("artifacts"),
             toJsonArray(manifest.artifacts, [](const AuthorizedArtifact& a) { return toJson(a); }));
    return o;
}

AuthorizedArtifact decodeAuthorizedArtifact(const QJsonValue& value, const QString& what)
{
    const JsonReader r(value, what);
    AuthorizedArtifact a;
    a.id = r.string(QStringLiteral("id"));
    a.version = r.string(QStringLiteral("version"));
    a.sourceURL = decodeUrlText(r.required(QStringLiteral("sourceURL")), what + QStringLiteral(".sourceURL"));
    a.relativePath = r.string(QStringLiteral("relativePath"));
    a.sha256 = r.string(QStringLiteral("sha256"));
    a.byteCount = r.unsignedInteger(QStringLiteral("byteCount"));
    a.license = r.string(QStringLiteral("license"));
    a.rightsRecordID = r.string(QStringLiteral("rightsRecordID"));
    return a;
}

AuthorizedArtifactManifest decodeAuthorizedArtifactManifest(const QJsonValue& value, JsonDateDecodingStrategy dates)
{
    const QString context = QStringLiteral("AuthorizedArtifactManifest");
    const JsonReader r(value, context);
    AuthorizedArtifactManifest m;
    m.schemaVersion = r.integer(QStringLiteral("schemaVersion"));
    m.id = r.string(QStringLiteral("id"));
    m.packID = r.string(QStringLiteral("packID"));
    m.providerID = r.string(QStringLiteral("providerID"));
    m.packVersion = r.string(QStringLiteral("packVersion"));
    m.issuedAt = decodeDateUsing(r.required(QStringLiteral("issuedAt")), context + QStringLiteral(".issuedAt"), dates);
    m.expiresAt = decodeDateUsing(r.required(QStringLiteral("expiresAt")), context + QStringLiteral(".expiresAt"), dates);
    m.artifacts = r.list(QStringLiteral("artifacts"), decodeAuthorizedArtifact);
    return m;
}

template <>
AuthorizedArtifact fromJson<AuthorizedArtifact>(const QJsonValue& value)
{
    return decodeAuthorizedArtifact(value, QStringLiteral("AuthorizedArtifact"));
}

template <>
AuthorizedArtifactManifest fromJson<AuthorizedArtifactManifest>(const QJsonValue& value)
{
    return decodeAuthorizedArtifactManifest(value, JsonDateDecodingStrategy::iso8601);
}

} // namespace orvane
