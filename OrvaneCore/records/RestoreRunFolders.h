#pragma once

#include "model/BackupManifest.h"
#include "platform/FileOperations.h"
#include "platform/FolderDescriptorCache.h"
#include "records/CheckedFolder.h"
#include "records/PreparedRestoreFile.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace orvane {

// The folders one restore run acts through (see the protocol in RestoreRun.h): the backup's folder, the
// instance and the Technic root, each folder reached from its root without a link and its check kept
// for its other files; the few work areas its stages lie in; and the folder below an undo folder that
// it used last. A link found on the way throws OrvaneError::backupCorrupt with the restore's sentence
// for it; running out of descriptors, outOfOpenFiles. Not thread-safe; used once, by one RestoreRun.
class RestoreRunFolders final {
public:
    // `backup` is the backup's folder; `instance` and `technic` (when there is one) are standardised.
    RestoreRunFolders(const std::filesystem::path& backup, const std::filesystem::path& instance,
                      std::optional<std::filesystem::path> technic);

    const std::optional<std::filesystem::path>& technicRoot() const { return m_technic; }
    // The instance's folders, through which created paths are set aside and put back.
    FolderDescriptorCache& instance() { return m_instanceFolders; }

    // The backed-up copy of `record`, which must lie below the backup's folder without passing through
    // a link.
    std::filesystem::path sourceOf(const BackupFile& record);

    // The folders below the root a file is restored below.
    FolderDescriptorCache& foldersOf(const BackupFile& record);
    // What a look at the destination found, through its folder's kept check.
    FolderDescriptorCache::Look lookAtDestination(const BackupFile& record, const std::filesystem::path& destination);
    // The destination by its folder's kept descriptor and its name.
    FolderItem keptItem(const BackupFile& record, const std::filesystem::path& destination);
    // The destination's folder opened afresh right before a change.
    CheckedFolder openDestinationFolder(const BackupFile& record, const std::filesystem::path& destination);

    // The folder below an undo folder that `undo` lies in, kept open until another is asked for or
    // closeUndoFolder.
    const CheckedFolder& undoFolderOf(const std::filesystem::path& undo);
    void closeUndoFolder() { m_undoFolder.reset(); }
    // The folder a file's stage lies in.
    const CheckedFolder& stageFolderOf(const PreparedRestoreFile& file, const CheckedFolder& destination);

private:
    const std::filesystem::path m_backup;
    const std::optional<std::filesystem::path> m_technic;
    FolderDescriptorCache m_sourceFolders;
    FolderDescriptorCache m_instanceFolders;
    std::optional<FolderDescriptorCache> m_technicFolders; // opened for the launcher's settings only
    std::map<std::string, CheckedFolder, std::less<>> m_stageFolders; // the private and hidden work areas: a few
    std::optional<CheckedFolder> m_undoFolder;                        // see undoFolderOf
};

} // namespace orvane
