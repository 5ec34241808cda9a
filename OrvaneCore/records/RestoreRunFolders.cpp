#include "records/RestoreRunFolders.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "records/BackupStoreTexts.h"
#include "records/OutOfOpenFiles.h"
#include "records/RestoreTexts.h"

#include <cerrno>
#include <string_view>
#include <utility>

namespace orvane {

namespace {

bool isSettings(const BackupFile& record)
{
    return record.relativePath == backupTexts::technicSettingsPath;
}

} // namespace

RestoreRunFolders::RestoreRunFolders(const std::filesystem::path& backup, const std::filesystem::path& instance,
                                     std::optional<std::filesystem::path> technic)
    : m_backup(backup), m_technic(std::move(technic)), m_sourceFolders(m_backup), m_instanceFolders(instance)
{
}

std::filesystem::path RestoreRunFolders::sourceOf(const BackupFile& record)
{
    std::filesystem::path source = m_backup / pathFromText(record.relativePath);
    const auto look = m_sourceFolders.look(source);
    if (look.throughLink)
        throw OrvaneError::backupCorrupt(restoreTexts::sourceBecameLink);
    if (isOutOfOpenFiles(look.error))
        throw outOfOpenFiles(source);
    return source;
}

// The plan refuses settings without a Technic root; a link is never tested against no root.
FolderDescriptorCache& RestoreRunFolders::foldersOf(const BackupFile& record)
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

// The destination must lie below its root without passing through a link. Each folder's check is kept
// for its other files: the commit opens it again.
FolderDescriptorCache::Look RestoreRunFolders::lookAtDestination(const BackupFile& record,
                                                                 const std::filesystem::path& destination)
{
    const auto look = foldersOf(record).look(destination);
    if (look.throughLink)
        throw OrvaneError::backupCorrupt(restoreTexts::destinationBecameLink);
    if (isOutOfOpenFiles(look.error))
        throw outOfOpenFiles(destination);
    return look;
}

// The folder's descriptor was checked for links while staging.
FolderItem RestoreRunFolders::keptItem(const BackupFile& record, const std::filesystem::path& destination)
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

// The change then acts through this very folder.
CheckedFolder RestoreRunFolders::openDestinationFolder(const BackupFile& record,
                                                       const std::filesystem::path& destination)
{
    return CheckedFolder::open(foldersOf(record), destination.parent_path(), restoreTexts::destinationBecameLink);
}

// Kept open for the next files of its folder: one descriptor, whatever the tree holds.
const CheckedFolder& RestoreRunFolders::undoFolderOf(const std::filesystem::path& undo)
{
    const std::string_view folder = folderText(undo.native());
    if (!m_undoFolder || m_undoFolder->path().native() != folder) {
        m_undoFolder.reset();
        m_undoFolder.emplace(CheckedFolder::openOwn(std::filesystem::path(folder)));
    }
    return *m_undoFolder;
}

// The destination's own folder, or one of the few work areas kept open.
const CheckedFolder& RestoreRunFolders::stageFolderOf(const PreparedRestoreFile& file, const CheckedFolder& destination)
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
