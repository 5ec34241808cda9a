#include "session/SnapshotFile.h"

#include "platform/HexDigest.h"
#include "platform/PathText.h"
#include "platform/Sha256.h"

#include <algorithm>

namespace orvane::SnapshotFile {

namespace {

bool names(const QString& recorded, const std::filesystem::path& file)
{
    return standardised(pathFromText(recorded)) == standardised(file);
}

} // namespace

const BackupFile* copyOf(const BackupManifest& manifest, const std::filesystem::path& file)
{
    const auto copy = std::find_if(manifest.files.begin(), manifest.files.end(),
                                   [&](const BackupFile& f) { return names(f.originalPath, file); });
    return copy == manifest.files.end() ? nullptr : &*copy;
}

bool isKnown(const BackupManifest& manifest, const std::filesystem::path& file)
{
    return copyOf(manifest, file)
        || std::any_of(manifest.createdPaths.begin(), manifest.createdPaths.end(),
                       [&](const QString& path) { return names(path, file); });
}

bool matchesCopy(const QByteArray& bytes, const BackupFile& copy)
{
    return bytes.size() == copy.byteCount && hexDigest(Sha256::digest(bytes)) == copy.sha256;
}

} // namespace orvane::SnapshotFile
