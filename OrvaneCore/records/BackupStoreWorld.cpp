#include "records/BackupStore.h"

#include "model/OrvaneError.h"
#include "platform/FolderDescriptorCache.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "records/BackupStoreTexts.h"
#include "records/FileEvidence.h"
#include "records/OutOfOpenFiles.h"
#include "records/RestoreTemporaryItems.h"
#include "records/WorldBackupLimits.h"
#include "records/WorldRefusals.h"
#include "records/WorldSaveScanner.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <set>
#include <utility>

#include <sys/stat.h>

namespace orvane {

BackupManifest BackupStore::createWorldBackup(const std::filesystem::path& instanceRoot, const QString& notes)
{
    const std::filesystem::path root = standardised(instanceRoot);
    const std::filesystem::path saves = root / "saves";

    if (!itemExistsAt(saves))
        throw OrvaneError::io(QStringLiteral("No saves folder in this instance. Orvane will not invent a world."));
    if (pathContainsSymbolicLink(saves, root))
        throw worldLinkRefused(saves, root);
    const StoreLock held = lock();

    // An interrupted restore may have left its work beside the world files: gone before they are listed.
    recoverInterruptedWork(root, std::nullopt, Purpose::backup);
    WorldSaveScan scan = scanWorldSaves(saves);
    // Orvane's own items (names of exactly their form) are never world files: a probe holding a backed-up
    // file's bytes goes, anything else it made stays out of the backup.
    std::set<std::filesystem::path> holdingItems;
    std::erase_if(scan.files, [&](const std::filesystem::path& file) {
        const std::filesystem::path relative = file.lexically_relative(saves);
        const bool ours = std::any_of(relative.begin(), relative.end(), [](const std::filesystem::path& piece) {
            return restoreItems::isItemName(piece.native());
        });
        if (ours)
            holdingItems.insert(file.parent_path());
        return ours;
    });
    // The bytes a probe may hold: a file of a backup of this world. Read only when an item is found.
    std::optional<std::set<std::pair<QString, std::uint64_t>>> backedUp;
    const auto isBackedUp = [&](const CopiedFile& bytes) {
        if (!backedUp) {
            backedUp.emplace();
            for (const ListedBackup& backup : restorableBackups(root, BackupKind::saves)) {
                for (const BackupFile& file : backup.manifest.files)
                    backedUp->emplace(file.sha256, std::uint64_t(file.byteCount));
            }
        }
        return backedUp->count({bytes.sha256, bytes.byteCount}) != 0;
    };
    for (const auto& folder : holdingItems)
        restoreItems::removeLeftovers(*m_files, root, folder, isBackedUp);
    if (scan.files.empty())
        throw OrvaneError::io(
            QStringLiteral("No world files exist in this instance. Orvane will not create an empty recovery point."));
    try {
        return assembleBackup(scan.files, root, BackupKind::saves, notes, {});
    } catch (const std::system_error& error) {
        // A copy that could not be opened for want of descriptors: the world did not change.
        rethrowIfOutOfOpenFiles(error, saves);
        throw;
    }
}

std::vector<std::filesystem::path> BackupStore::validateWorldSources(const std::vector<std::filesystem::path>& files,
                                                                     const std::filesystem::path& instanceRoot) const
{
    if (files.empty() || files.size() > std::size_t(WorldBackupLimits::maxFileCount))
        throw OrvaneError::backupCorrupt(QStringLiteral("world save tree has an invalid file count"));
    const std::filesystem::path root = standardised(instanceRoot);
    const std::filesystem::path saves = root / "saves";
    if (pathContainsSymbolicLink(saves, root))
        throw worldLinkRefused(saves, root);

    // The folders of the tree are checked for links once each, not once per file below them.
    FolderDescriptorCache folders(root);
    std::set<std::filesystem::path> seen;
    std::uint64_t total = 0;
    std::vector<std::pair<std::string, std::filesystem::path>> kept;
    kept.reserve(files.size());
    for (const auto& file : files) {
        const std::filesystem::path path = standardised(file);
        if (!isContained(path, saves))
            throw OrvaneError::backupCorrupt(QStringLiteral("world backup source is outside the selected saves folder"));
        if (!seen.insert(path).second)
            throw OrvaneError::backupCorrupt(QStringLiteral("world backup contains a duplicate source path"));
        const auto look = folders.look(path);
        if (look.throughLink)
            throw worldLinkRefused(path, root);
        // Removed since the scan.
        if (look.error == ENOENT || look.error == ENOTDIR)
            throw OrvaneError::backupCorrupt(backupTexts::worldChanged);
        if (isOutOfOpenFiles(look.error))
            throw outOfOpenFiles(path);
        if (look.error != 0)
            throwSystemError(look.error, "stat", path);
        const struct stat& st = look.item;
        if (!S_ISREG(st.st_mode))
            throw OrvaneError::backupCorrupt(QStringLiteral("world backup source is not a regular file"));
        countWorldFileBytes(total, std::uint64_t(st.st_size), path);
        kept.emplace_back(relativeBackupPath(path, root, {}).toStdString(), path);
    }
    // By the relative path's UTF-8 bytes, which is code point order.
    std::sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::filesystem::path> sorted;
    sorted.reserve(kept.size());
    for (auto& entry : kept)
        sorted.push_back(std::move(entry.second));
    return sorted;
}

} // namespace orvane
