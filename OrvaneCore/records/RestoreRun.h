#pragma once

#include "model/BackupManifest.h"
#include "model/RestoreResult.h"
#include "platform/FileOperations.h"
#include "platform/FolderDescriptorCache.h"
#include "records/CheckedFolder.h"
#include "records/FileEvidence.h"
#include "records/ListedBackup.h"
#include "records/PreparedRestoreFile.h"
#include "records/RestoreCheckpoint.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreWorkspace.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

class BackupStore;

// One restore of a backup whose manifest, sizes and plan were accepted, from start to end, in four
// phases: stage every copy (checking its digest as it is written) beside an undo link to each existing
// destination; commit, each file with one swap or exclusive rename through its folder's checked
// descriptor; on any failure roll the committed files back; clean up what served.
//
// Each file costs one read of the snapshot copy and one read of the destination's prior bytes. An
// existing destination is linked into the undo folder before anything is replaced, so its prior bytes
// stay reachable from there at every moment; after its swap that link is the undo copy. Changes made
// by other processes show in the stamps (inode, size, modification and change time), taken when the
// prior bytes are measured, again right before each swap, and compared with the file swapped out.
//
// What it survives, leaving every file with its prior or its backed-up bytes:
// - a kill at any moment: from right before the first replacement until the end, each undo folder holds
//   the commit record, and the next backup or restore finishes or undoes the restore from it;
// - a power cut or system crash: the stages, undo data and records are flushed before the first
//   replacement, and the folders the commit changed are flushed after the last, before the records go;
// - a file system without hard links or atomic exchange (FAT, exFAT, NTFS, protected hard links):
//   the undo data is then a copy, and an exchange is made of exclusive moves that the record covers;
// - a change by another process, seen by its stamps, or a full disk, before anything is replaced.
// Not survived: a disk that loses data it reported flushed; a same-size write within one clock tick
// of a stamp (see README).
// Used once; the caller holds the store's lock.
class RestoreRun final {
public:
    RestoreRun(const BackupStore& store, const ListedBackup& backup, const std::filesystem::path& instanceRoot,
               const std::optional<std::filesystem::path>& technicRoot);

    // Either every file holds the backed-up bytes and every created path is gone, or every replaced
    // file is back. Throws SnapshotCopyMismatch when a copy fails its manifest while staging (nothing
    // was replaced); when the rollback fails too, the undo folders are kept and the error names them.
    RestoreResult run();

private:
    // What a file's stamps were when the restore last looked.
    struct Stamps {
        FileStamp stage; // the staged copy right after it was made
        FileStamp prior; // an existing destination right after its undo link was made
    };

    // --- Staging ---
    void stage();
    void stageOne(const BackupFile& record);
    PreparedRestoreFile prepare(const BackupFile& record, const std::filesystem::path& destination);
    RestoreWorkspace::Area& stageFile(PreparedRestoreFile& file, const BackupFile& record,
                                      const std::filesystem::path& source, CopiedFile& copied);
    // RestoreRunPriorBytes.cpp
    void keepPriorBytes(PreparedRestoreFile& file, const BackupFile& record, const std::filesystem::path& undo);
    void probeRename(PreparedRestoreFile& file, const std::filesystem::path& folder);
    void checkStagedCopy(const PreparedRestoreFile& file, const BackupFile& record, const CopiedFile& copied);
    void measurePriorBytes(PreparedRestoreFile& file, const BackupFile& record);

    // A file with other names (RestoreRunSharedFiles.cpp): the stamps of the others this restore
    // measured follow the change times its own links, renames and removals gave them.
    void noteSharedFile(std::size_t index, const FileStamp& beforeOwnLink);
    void afterOwnChangeOf(std::size_t index);
    void followOwnChange(std::size_t index, const FileStamp& before, const FileStamp& after);

    // --- Commit ---
    void commit();
    void commitOne(std::size_t index);
    void checkDestinationUnchanged(std::size_t index, const CheckedFolder& folder);
    void checkCommitted(std::size_t index, const CheckedFolder& folder, const CheckedFolder& stageFolder,
                        const std::filesystem::path& stageName);
    void swapIntoPlace(const FolderItem& stage, const FolderItem& destination, const FileStamp& prior,
                       const CheckedFolder& stageFolder);
    void swapAtomically(const FolderItem& a, const FolderItem& b);
    void moveExclusively(const FolderItem& from, const FolderItem& to);
    bool undoThrough(PreparedRestoreFile& file, const CheckedFolder& stageFolder,
                     const std::filesystem::path& stageName, const FolderItem& destination);
    void removeCreatedPaths();
    void setAside(const QString& entry);
    std::filesystem::path moveAside(const CheckedFolder& folder, const std::filesystem::path& path);

    // --- Rollback and clean-up ---
    [[noreturn]] void rollBack(const std::exception_ptr& stopping);
    QStringList putCreatedPathsBack();
    std::vector<std::filesystem::path> keepUndoFolders();
    void cleanUp(bool keepUndo) noexcept;
    void removeOwnStages();
    void removeUndoData();

    // --- Folders ---
    void hook(RestoreCheckpoint::Kind kind, std::size_t index, const std::filesystem::path& destination) const;
    bool isSettings(const BackupFile& record) const;
    FolderDescriptorCache& foldersOf(const BackupFile& record);
    FolderDescriptorCache::Look lookAtDestination(const BackupFile& record, const std::filesystem::path& destination);
    FolderItem keptItem(const BackupFile& record, const std::filesystem::path& destination);
    CheckedFolder openDestinationFolder(const BackupFile& record, const std::filesystem::path& destination);
    const CheckedFolder& undoFolderOf(const std::filesystem::path& undo);
    const CheckedFolder& stageFolderOf(const PreparedRestoreFile& file, const CheckedFolder& destination);

    const BackupStore& m_store;
    FileOperations& m_files;
    const BackupManifest& m_manifest;
    const std::filesystem::path m_directory;
    const std::filesystem::path m_instance;
    const std::optional<std::filesystem::path> m_technic;

    FolderDescriptorCache m_sourceFolders;
    FolderDescriptorCache m_instanceFolders;
    std::optional<FolderDescriptorCache> m_technicFolders;
    std::map<std::string, CheckedFolder, std::less<>> m_stageFolders; // the private and hidden work areas: a few
    RestoreWorkspace m_workspace;
    std::set<std::filesystem::path> m_madeFolders; // destination folders made or found already
    std::filesystem::path m_lastMadeFolder;
    std::optional<CheckedFolder> m_undoFolder; // see undoFolderOf
    std::set<std::filesystem::path> m_probedFolders; // destination folders a rename from their area was shown to reach
    std::vector<std::pair<const RestoreWorkspace::Area*, std::filesystem::path>> m_undoFiles; // and their work areas
    std::vector<PreparedRestoreFile> m_prepared;
    std::vector<Stamps> m_stamps; // by index into m_prepared
    std::vector<std::size_t> m_committed;
    std::vector<QString> m_restored;
    std::vector<QString> m_deleted;
    std::vector<SetAsideFile> m_setAside; // created paths moved aside and not put back
    // Existing destinations that have other names, by file (device, inode); and the stamp of the one
    // being staged as it was found, before this restore linked it.
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::vector<std::size_t>> m_sharedFiles;
    std::optional<FileStamp> m_sharedBefore;
    std::optional<CopiedFile> m_undoCopy; // what the last copy of prior bytes into an undo folder copied
    bool m_replacing = false; // the commit began: what it changes is flushed before its records go
};

} // namespace orvane
