#include "records/RestoreRun.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "records/BackupReader.h"
#include "records/BackupStoreTexts.h"
#include "records/OutOfOpenFiles.h"
#include "records/RestoreTexts.h"

#include <cerrno>
#include <string_view>

namespace orvane {

// --- Folders ---

void RestoreRun::hook(RestoreCheckpoint::Kind kind, std::size_t index, const std::filesystem::path& destination) const
{
    if (m_store.restoreCheckpoint())
        m_store.restoreCheckpoint()(RestoreCheckpoint{kind, std::int64_t(index), destination});
}

bool RestoreRun::isSettings(const BackupFile& record) const
{
    return record.relativePath == backupTexts::technicSettingsPath;
}

// The folders below the root a file is restored below. The plan refuses settings without a Technic
// root; a link is never tested against no root.
FolderDescriptorCache& RestoreRun::foldersOf(const BackupFile& record)
{
    if (isSettings(record) && !m_technic)
        throw OrvaneError::backupCorrupt(restoreTexts::destinationBecameLink);
    if (isSettings(record)) {
        if (!m_technicFolders)
            m_technicFolders.emplace(*m_technic);
        return *m_technicFolders;
    }
    return m_instanceFolders;
}

// The destination must lie below its root without passing through a link; what the look found there
// comes back. Each folder's check is kept for its other files: the commit opens it again.
FolderDescriptorCache::Look RestoreRun::lookAtDestination(const BackupFile& record,
                                                          const std::filesystem::path& destination)
{
    const auto look = foldersOf(record).look(destination);
    if (look.throughLink)
        throw OrvaneError::backupCorrupt(restoreTexts::destinationBecameLink);
    if (isOutOfOpenFiles(look.error))
        throw outOfOpenFiles(destination);
    return look;
}

// The destination by its folder's kept descriptor (checked for links while staging) and its name.
FolderItem RestoreRun::keptItem(const BackupFile& record, const std::filesystem::path& destination)
{
    const int folder = foldersOf(record).kept(folderText(destination.native()));
    if (folder < 0) {
        const int error = errno;
        if (error == ELOOP || error == EXDEV)
            throw OrvaneError::backupCorrupt(restoreTexts::destinationBecameLink);
        if (isOutOfOpenFiles(error))
            throw outOfOpenFiles(destination);
        throwSystemError(error, "open", destination.parent_path());
    }
    return FolderItem{folder, destination.filename(), destination};
}

// The destination's folder opened afresh right before a change, which then acts through it.
CheckedFolder RestoreRun::openDestinationFolder(const BackupFile& record, const std::filesystem::path& destination)
{
    return CheckedFolder::open(foldersOf(record), destination.parent_path(), restoreTexts::destinationBecameLink);
}

// The folder below an undo folder that `undo` lies in, kept open for the next files of its folder: one
// descriptor, whatever the tree holds.
const CheckedFolder& RestoreRun::undoFolderOf(const std::filesystem::path& undo)
{
    const std::string_view folder = folderText(undo.native());
    if (!m_undoFolder || m_undoFolder->path().native() != folder) {
        m_undoFolder.reset();
        m_undoFolder.emplace(CheckedFolder::openOwn(std::filesystem::path(folder)));
    }
    return *m_undoFolder;
}

// The folder a stage lies in: the destination's own, or one of the few work areas kept open.
const CheckedFolder& RestoreRun::stageFolderOf(const PreparedRestoreFile& file, const CheckedFolder& destination)
{
    const std::string_view folder = folderText(file.staged.native());
    if (folder == destination.path().native())
        return destination;
    auto found = m_stageFolders.find(folder);
    if (found == m_stageFolders.end())
        found = m_stageFolders.emplace(folder, CheckedFolder::openOwn(std::filesystem::path(folder))).first;
    return found->second;
}

} // namespace orvane
