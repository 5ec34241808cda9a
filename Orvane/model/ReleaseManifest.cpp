#include "model/ReleaseManifest.h"

#include "json/DecodingError.h"
#include "json/JsonReader.h"
#include "model/UpdateCheckError.h"

#include <QRegularExpression>

#include <algorithm>

namespace orvane {
namespace {

QUrl decodeUrl(const QJsonValue& value, const QString& what)
{
    const QString text = decodeString(value, what);
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        throw DecodingError(what + QStringLiteral(" is not a valid URL."));
    return url;
}

ReleaseManifest::Notarization decodeNotarization(const QJsonValue& value, const QString& what)
{
    const JsonReader r(value, what);
    return ReleaseManifest::Notarization{
        r.string(QStringLiteral("status")),
        r.string(QStringLiteral("submissionId")),
        r.boolean(QStringLiteral("stapled")),
    };
}

// Whole-text matches only: "$" alone would also accept a final line break.
bool matchesWhole(const QString& pattern, const QString& text)
{
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern));
    return expression.match(text).hasMatch();
}

void require(bool rule)
{
    if (!rule)
        throw UpdateCheckError(UpdateCheckError::Kind::invalidRelease);
}

// The last path component as a browser names a download: a final "/" is no component of its own.
QString lastPathComponent(const QUrl& url)
{
    const QStringList segments = url.path(QUrl::FullyDecoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return segments.isEmpty() ? QString() : segments.last();
}

bool isOnReleaseSite(const QUrl& url, const QString& releaseHost)
{
    return url.scheme() == QLatin1String("https") && !url.host().isEmpty() && url.host() == releaseHost;
}

} // namespace

ReleaseManifest decodeReleaseManifest(const QJsonValue& value, const QString& what)
{
    const JsonReader r(value, what);
    ReleaseManifest manifest;
    manifest.schemaVersion = r.integer(QStringLiteral("schemaVersion"));
    manifest.version = r.string(QStringLiteral("version"));
    manifest.build = r.integer(QStringLiteral("build"));
    manifest.productSourceCommit = r.string(QStringLiteral("productSourceCommit"));
    manifest.downloadURL = decodeUrl(r.required(QStringLiteral("downloadURL")), what + QStringLiteral(".downloadURL"));
    manifest.releaseNotesURL = r.optional(QStringLiteral("releaseNotesURL"), decodeUrl);
    manifest.filename = r.string(QStringLiteral("filename"));
    manifest.bytes = r.integer(QStringLiteral("bytes"));
    manifest.sha256 = r.string(QStringLiteral("sha256"));
    manifest.bundleIdentifier = r.string(QStringLiteral("bundleIdentifier"));
    manifest.teamIdentifier = r.string(QStringLiteral("teamIdentifier"));
    manifest.minimumSystemVersion = r.string(QStringLiteral("minimumSystemVersion"));
    manifest.architecture = r.string(QStringLiteral("architecture"));
    manifest.notarization = decodeNotarization(r.required(QStringLiteral("notarization")),
                                               what + QStringLiteral(".notarization"));
    return manifest;
}

void validate(const ReleaseManifest& manifest, const QString& releaseHost)
{
    require(manifest.schemaVersion == 1);
    require(manifest.build >= 1);
    require(manifest.bytes >= 1);
    require(manifest.bundleIdentifier == QLatin1String("app.orvane.companion"));
    require(manifest.teamIdentifier == QLatin1String("QK7RTW2XNB"));
    require(manifest.architecture == QLatin1String("arm64"));
    require(manifest.notarization.status.toLower() == QLatin1String("accepted"));
    require(manifest.notarization.stapled && !manifest.notarization.submissionId.isEmpty());
    require(matchesWhole(QStringLiteral("[0-9a-f]{40}"), manifest.productSourceCommit));
    require(matchesWhole(QStringLiteral("[0-9a-f]{64}"), manifest.sha256));
    require(!manifest.filename.isEmpty() && manifest.filename == lastPathComponent(manifest.downloadURL));
    require(manifest.downloadURL.scheme() == QLatin1String("https"));
    require(!manifest.downloadURL.host().isEmpty() && manifest.downloadURL.host() == releaseHost);
    require(manifest.downloadURL.path().startsWith(QLatin1String("/downloads/")));
    if (manifest.releaseNotesURL)
        require(isOnReleaseSite(*manifest.releaseNotesURL, releaseHost));
    parseReleaseVersion(manifest.version);
    parseReleaseVersion(manifest.minimumSystemVersion);
}

std::vector<std::int64_t> parseReleaseVersion(const QString& text)
{
    // The first non-empty piece before a "-" ("1.4.0-beta.2" → "1.4.0"; a leading "-" is skipped).
    const QStringList hyphenPieces = text.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    const QString numbers = hyphenPieces.isEmpty() ? text : hyphenPieces.first();

    const QStringList pieces = numbers.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    require(pieces.size() == 2 || pieces.size() == 3);

    std::vector<std::int64_t> components;
    for (const QString& piece : pieces) {
        // Digits with an optional sign only: Qt's own conversion would also skip white space.
        require(matchesWhole(QStringLiteral("[+-]?[0-9]+"), piece));
        bool ok = false;
        const qlonglong value = piece.toLongLong(&ok);
        require(ok && value >= 0);
        components.push_back(value);
    }
    return components;
}

bool isNewer(const ReleaseManifest& manifest, const QString& runningVersion, std::int64_t runningBuild)
{
    const std::vector<std::int64_t> release = parseReleaseVersion(manifest.version);
    const std::vector<std::int64_t> running = parseReleaseVersion(runningVersion);
    const std::size_t length = std::max(release.size(), running.size());
    for (std::size_t i = 0; i < length; ++i) {
        const std::int64_t r = i < release.size() ? release[i] : 0;
        const std::int64_t a = i < running.size() ? running[i] : 0;
        if (r != a)
            return r > a;
    }
    return manifest.build > runningBuild;
}

} // namespace orvane
