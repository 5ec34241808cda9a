#pragma once

#include <QJsonValue>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvane {

// The release record the manual update check reads from the release site ("/releases/latest.json").
// Its rules describe the signed macOS bundle the release site publishes (arm64, notarized, stapled);
// they are kept as written so that this build refuses a record the other builds would refuse.
struct ReleaseManifest {
    struct Notarization {
        QString status; // "accepted" in any letter case
        QString submissionId;
        bool stapled = false;
        bool operator==(const Notarization&) const = default;
    };

    std::int64_t schemaVersion = 0;
    QString version; // "1.2", "1.3.0", "1.3.0-rc.1"
    std::int64_t build = 0;
    QString productSourceCommit;
    QUrl downloadURL;
    std::optional<QUrl> releaseNotesURL;
    QString filename;
    std::int64_t bytes = 0;
    QString sha256;
    QString bundleIdentifier;
    QString teamIdentifier;
    QString minimumSystemVersion;
    QString architecture;
    Notarization notarization;

    bool operator==(const ReleaseManifest&) const = default;
};

// Every key is required but "releaseNotesURL"; a missing key or a value of the wrong type throws
// DecodingError. URLs are strings.
ReleaseManifest decodeReleaseManifest(const QJsonValue& value, const QString& what);

// Throws UpdateCheckError::invalidRelease at the first rule the record breaks. `releaseHost` is the
// only host its download and release-notes URLs may name.
void validate(const ReleaseManifest& manifest, const QString& releaseHost);

// "1.4.0-beta.2" → {1, 4, 0}: the text before the first "-", two or three dot-separated whole
// numbers, none negative. Throws UpdateCheckError::invalidRelease otherwise.
std::vector<std::int64_t> parseReleaseVersion(const QString& text);

// Whether the record is newer than the running version and build: versions compare component by
// component (a missing one counts as 0, so 1.2 equals 1.2.0), then the builds. Throws
// UpdateCheckError::invalidRelease when either version does not parse.
bool isNewer(const ReleaseManifest& manifest, const QString& runningVersion, std::int64_t runningBuild);

} // namespace orvane
