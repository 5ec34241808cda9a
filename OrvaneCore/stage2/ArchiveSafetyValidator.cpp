#include "stage2/ArchiveSafetyValidator.h"

#include "model/OrvaneError.h"

#include <QHash>

#include <limits>

namespace orvane {

namespace {

[[noreturn]] void refuse(const char* prefix, const QString& path = QString())
{
    throw OrvaneError::policyDenied(QString::fromUtf8(prefix) + path);
}

} // namespace

std::vector<SafeRelativePath> ArchiveSafetyValidator::validate(const std::vector<ArchiveEntryDescriptor>& entries) const
{
    if (entries.empty() || maximumEntryCount < 0 || entries.size() > std::uint64_t(maximumEntryCount))
        refuse("Archive has an invalid entry count.");

    constexpr std::uint64_t maximum = std::numeric_limits<std::uint64_t>::max();
    std::vector<SafeRelativePath> paths;
    paths.reserve(entries.size());
    QHash<QString, ArchiveEntryKind> kindsByKey;
    kindsByKey.reserve(qsizetype(entries.size()));
    std::vector<QString> keys;
    keys.reserve(entries.size());
    std::uint64_t total = 0;

    for (const auto& entry : entries) {
        const bool isFile = entry.kind == ArchiveEntryKind::file;
        if (!isFile && entry.kind != ArchiveEntryKind::directory)
            refuse("Archive contains a link or special entry: ", entry.relativePath);
        QString text = entry.relativePath;
        if (!isFile && text.endsWith(u'/'))
            text.chop(1);
        SafeRelativePath path(text);
        if (isWorldSavePath(text))
            refuse("Archive targets the world-save directory: ", text);
        QString key = pathCollisionKey(text);
        if (kindsByKey.contains(key))
            refuse("Archive contains duplicate or case-colliding paths: ", text);
        kindsByKey.insert(key, entry.kind);
        keys.push_back(std::move(key));

        if (!isFile) {
            if (entry.compressedByteCount != 0 || entry.uncompressedByteCount != 0)
                refuse("Archive directory has unexpected payload bytes: ", text);
        } else {
            const std::uint64_t size = entry.uncompressedByteCount;
            if (size > maximumEntryByteCount)
                refuse("Archive entry exceeds its allowed size: ", text);
            if (size > 0) {
                if (entry.compressedByteCount == 0)
                    refuse("Archive entry has an invalid compression size: ", text);
                // compressed × ratio, refused when it would not fit in 64 bits.
                if (maximumExpansionRatio == 0 || entry.compressedByteCount > maximum / maximumExpansionRatio
                    || entry.compressedByteCount * maximumExpansionRatio < size)
                    refuse("Archive entry exceeds its expansion ratio: ", text);
            }
        }
        if (entry.uncompressedByteCount > maximum - total)
            refuse("Archive exceeds its allowed total size.");
        total += entry.uncompressedByteCount;
        if (total > maximumTotalByteCount)
            refuse("Archive exceeds its allowed total size.");
        paths.push_back(std::move(path));
    }

    // No file may stand where another entry needs a directory, whichever is listed first.
    for (std::size_t i = 0; i < paths.size(); ++i) {
        for (const QString& part : properLeadingParts(keys[i])) {
            const auto found = kindsByKey.constFind(part);
            if (found != kindsByKey.constEnd() && *found == ArchiveEntryKind::file)
                refuse("Archive file conflicts with a descendant: ", paths[i].rawValue());
        }
    }
    return paths;
}

} // namespace orvane
