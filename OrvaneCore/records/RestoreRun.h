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
#include "records/RestoreRunFolders.h"
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

class BackupReader;

// THE RESTORE PROTOCOL. This is the one description of how a restore replaces a world's files and
// how an interrupted one is ended; every other records/ header points here.
//
// Where every item lives (names from platform/OwnItemNames, made by restoreItems in
// RestoreTemporaryItems):
// - Work areas (RestoreWorkspace): for each destination folder the first of these on its file system,
//   so that each commit is one rename: the store's private temporary folder (applicationSupport/tmp,
//   0700), a private hidden folder ".orvane-restore" at the top of the root being restored, or the
//   destination folder itself. A destination folder serves only after the journal names it.
// - Stages ".orvane-restore-stage-<UUID>", directly in an area: the backed-up bytes, digest-checked
//   as they were written, waiting for their swap or rename.
// - Undo folders "orvane-restore-undo-<UUID>", one in each area that serves. They hold the undo data:
//   the undo file of each existing destination below its relative path, a hard link to the
//   destination's own file or, where the file system refuses second names, a checked copy (its
//   commit-record entry then says "copied", with the prior file's device and inode); the created paths
//   set aside ".orvane-restore-created-<UUID>"; and the commit record ".orvane-restore-commit".
// - The commit record (RestoreCommitRecord): which restore, backup, store and roots, the files whose
//   stages and undo files lie in that area, and the set-aside paths; one per undo folder.
// - The journal ".orvane-restore-areas-<UUID>" in the store's folder: the restore's record head, then
//   every destination folder serving as an area, so that a clean-up finds what lies there.
// - Kept undo folders "orvane-restore-kept-<UUID>": undo folders renamed, with their records, when
//   their bytes may be the only copy; no clean-up takes them.
// - Probes ".orvane-restore-probe-<UUID>": a second name that shows a rename from an area reaches a
//   destination folder, removed at once; rollback copies ".orvane-restore-rollback-<UUID>" and bytes a
//   rollback moved aside ".orvane-restore-preserved-<UUID>" belong to undoing (RestoreRollback).
//
// The rules the engine keeps:
// 1. Nothing is replaced before every stage is written and checked against the manifest, every
//    existing destination has its undo file, and free space, stamps and the plan were accepted.
// 2. Every undo folder that serves holds the commit record before the first replacement
//    (RestoreWorkspace::beginCommit); one made later gets it before anything is put in it.
// 3. The stages, undo files, records and journal are flushed before the first replacement
//    (RestoreWorkspace::syncFileSystems).
// 4. A created path is listed in its area's record before it is moved into the undo folder.
// 5. Each file is replaced by one atomic exchange, or an exclusive rename, through its folder's
//    checked descriptor, and only while its stamps show no other process changed it.
// 6. The folders the commit changed are flushed before any record goes (RestoreRun::cleanUp), and the
//    records go before the undo data (RestoreWorkspace::endCommit, then removeUndoData).
// 7. Bytes that are neither the prior nor the backed-up ones are never overwritten or deleted.
//
// The states of one restore and the step that makes each:
//   planned    BackupReader::planRestore accepted the manifest, sizes and destinations;
//   staged     RestoreRun::stage: stages and undo files made, nothing replaced (a failure: cleanUp, done);
//   recorded   RestoreWorkspace::beginCommit and syncFileSystems: records in every undo folder, on disk;
//   replacing  RestoreRun::commit, then removeCreatedPaths (files swapped, created paths set aside);
//   ended      RestoreRun::cleanUp: flush, records removed, undo data and stages removed;
//   or on a failure while replacing, RestoreRun::rollBack: every committed file swapped back
//   (restoreRollback::rollBack) and every set-aside path put back, then ended; when that fails too the
//   undo folders are kept under kept names with their records, and the error names them.
//
// What recovery (RestoreRecovery, before the store's next backup or restore) does in each state:
//   staged, or undo folders without a record: leftovers, removed by the clean-up;
//   recorded or replacing: when a file holds bytes that are neither its prior nor its backed-up ones,
//     the restore is kept as it is (kept names); otherwise, when the backup still loads and
//     verifies, it is finished (only the files not holding the backed-up bytes are staged again),
//     else undone from the undo folders; an undo that fails keeps the folders;
//   a kept restore: refused again (for a backup) until finished or undone; a kept folder the user
//     emptied counts as removed, and its record goes;
//   a record that cannot be read (damaged, or a newer format), whose head names this store and
//     instance or cannot be read: nothing is changed and the operation is refused, naming it.
// A record also goes when a later restore over a kept one leaves nothing for it to do.
//
// Failures survived, each leaving every file with its prior or its backed-up bytes:
// - a killed process at any moment: before rule 2 nothing was replaced; after it, the records lead
//   the next operation to finish or undo the restore;
// - a power cut or system crash: by rules 3 and 6, whatever was replaced is covered by a record on
//   disk until it is flushed itself;
// - a file system without hard links or atomic exchange (FAT, exFAT, NTFS, protected hard links):
//   the undo file is a checked copy, and an exchange is made of exclusive moves the record covers
//   (ExchangeByMoves);
// - a change by another process, seen by its stamps (inode, size, modification and change time)
//   taken when the prior bytes are measured, right before each swap and of the file swapped out; a
//   full disk, before anything is replaced.
// Not survived: a disk that loses data it reported flushed; a same-size write within one clock tick
// of a stamp (see README).
//
// Each file costs one read of the snapshot copy and one of the destination's prior bytes.
// Used once; the caller holds the store's lock.
class RestoreRun final {
public:
    RestoreRun(const BackupReader& store, const ListedBackup& backup, const std::filesystem::path& instanceRoot,
               const std::optional<std::filesystem::path>& technicRoot);

    // Either every file holds the backed-up bytes and every created path is gone, or every replaced
    // file is back. Throws SnapshotCopyMismatch when a copy fails its manifest while staging (nothing
    // was replaced); when the rollback fails too, the undo folders are kept and the error names them.
    RestoreResult run();

private:
    // What a file's stamps were when the restore last looked.
    struct Stamps {
        FileStamp stage; // the staged copy right after it was made
        FileStamp prior; // an existing destination right after its undo file was made
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

    // Hands a commit point to the store's hook, when it has one.
    void hook(RestoreCheckpoint::Kind kind, std::size_t index, const std::filesystem::path& destination) const;

    const BackupReader& m_store;
    FileOperations& m_files;
    const BackupManifest& m_manifest;
    const std::filesystem::path m_instance;
    RestoreRunFolders m_folders;
    RestoreWorkspace m_workspace;
    std::set<std::filesystem::path> m_madeFolders; // destination folders made or found already
    std::filesystem::path m_lastMadeFolder;
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
    std::optional<CopiedFile> m_lastPriorCopy; // what the last copy of prior bytes into an undo folder copied
    bool m_replacing = false; // the commit began: what it changes is flushed before its records go
};

} // namespace orvane
