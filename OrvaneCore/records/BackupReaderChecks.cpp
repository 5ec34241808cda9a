#include "records/BackupReader.h"

#include "model/OrvaneError.h"
#include "platform/FolderDescriptorCache.h"
#include "platform/PathText.h"
#include "platform/RegularFile.h"
#include "records/BackupStoreTexts.h"
#include "records/OutOfOpenFiles.h"
#include "records/WorldBackupLimits.h"
#include "records/WorldRefusals.h"

#include <cerrno>

#include <sys/stat.h>

namespace orvane {

bool BackupReader::pathContainsSymbolicLink(const std::filesystem::path& path, const std::filesystem::path& root)
{
    return !isContained(path, root) || firstSymbolicLink(path, root).has_value();
}

bool BackupReader::isSafeRelativeBackupPath(const QString& relativePath)
{
    if (relativePath.isEmpty() || relativePath.startsWith(QLatin1Char('/')))
        return false;
    // Each piece between slashes, without splitting: a manifest has tens of thousands of paths.
    const QStringView text(relativePath);
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('/'), start);
        if (end < 0)
            end = text.size();
        const QStringView piece = text.mid(start, end - start);
        if (piece.isEmpty() || piece == QLatin1String(".") || piece == QLatin1String(".."))
            return false;
        start = end + 1;
    }
    return true;
}

std::uint64_t BackupReader::checkByteBounds(const BackupManifest& manifest)
{
    std::uint64_t total = 0;
    for (const auto& file : manifest.files) {
        if (file.byteCount < 0)
            throw OrvaneError::backupCorrupt(QStringLiteral("negative byte count ") + file.relativePath);
        if (__builtin_add_overflow(total, std::uint64_t(file.byteCount), &total))
            throw OrvaneError::backupCorrupt(QStringLiteral("backup byte count overflow"));
        if (manifest.kind == BackupKind::saves
            && (file.byteCount > WorldBackupLimits::maxFileBytes
                || total > std::uint64_t(WorldBackupLimits::maxTotalBytes)))
            throw OrvaneError::backupCorrupt(QStringLiteral("world backup exceeds its byte limits"));
    }
    return total;
}

void BackupReader::verifySnapshot(const BackupManifest& manifest, const std::filesystem::path& directory,
                                 SnapshotCheck check) const
{
    const std::filesystem::path folder = standardised(directory);
    if (pathContainsSymbolicLink(folder, m_root))
        throw OrvaneError::backupCorrupt(QStringLiteral("snapshot directory escapes the backup store"));
    if (manifest.kind == BackupKind::saves
        && (manifest.files.empty() || manifest.files.size() > std::size_t(WorldBackupLimits::maxFileCount)
            || !manifest.createdPaths.empty()))
        throw OrvaneError::backupCorrupt(QStringLiteral("world backup has invalid manifest bounds"));

    // Each folder of the snapshot is checked for links once, whatever number of copies it holds.
    FolderDescriptorCache folders(folder);
    for (const auto& file : manifest.files) {
        const QString& relative = file.relativePath;
        if (!isSafeRelativeBackupPath(relative))
            throw OrvaneError::backupCorrupt(QStringLiteral("unsafe relative path ") + relative);
        // A safe relative path joined to the standardised folder is standardised and lies inside it.
        if (folder.empty())
            throw OrvaneError::backupCorrupt(QStringLiteral("backup path escapes its snapshot directory"));
        const std::string copy = joinedText(folder, relative.toStdString());
        const auto look = folders.look(std::string_view(copy));
        if (look.throughLink)
            throw OrvaneError::backupCorrupt(QStringLiteral("backup path contains a symbolic link"));
        if (isOutOfOpenFiles(look.error))
            throw outOfOpenFiles(copy);
        if (look.error != 0)
            throw OrvaneError::backupCorrupt(QStringLiteral("missing ") + relative);
        const struct stat& st = look.item;
        // A folder or special file cannot hold the recorded bytes (and a FIFO must not be opened).
        if (!S_ISREG(st.st_mode))
            throw OrvaneError::backupCorrupt(backupTexts::hashMismatch(relative));
        if (check == SnapshotCheck::sizes) {
            if (file.byteCount < 0 || std::uint64_t(file.byteCount) != std::uint64_t(st.st_size))
                throw OrvaneError::backupCorrupt(backupTexts::byteCountMismatch(relative));
            continue;
        }
        CopiedFile measured;
        try {
            measured = measureRegularFile(copy);
        } catch (const std::system_error& error) {
            if (isOutOfOpenFiles(error.code()))
                throw outOfOpenFiles(copy);
            throw;
        }
        if (measured.sha256 != file.sha256)
            throw OrvaneError::backupCorrupt(backupTexts::hashMismatch(relative));
        if (file.byteCount < 0 || std::uint64_t(file.byteCount) != measured.byteCount)
            throw OrvaneError::backupCorrupt(backupTexts::byteCountMismatch(relative));
    }
    checkByteBounds(manifest);
}

} // namespace orvane
