#pragma once

#include "model/BackupManifest.h"
#include "model/OrvaneError.h"
#include "model/RestoreResult.h"
#include "platform/FileOperations.h"
#include "platform/StoreLock.h"
#include "records/BackupReader.h"
#include "records/ListedBackup.h"
#include "records/RecoveryOutcome.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace orvane {

// Owns the backups under one folder: overlay snapshots (the backups folder) or world backups (its
// "saves" subfolder). Each snapshot is <root>/<id>/ with the copies and manifest.json. Making, listing
// and choosing snapshots and the restore entry points are its own (BackupStore*.cpp); reading one back,
// checking it and planning its restore are its BackupReader's (BackupReader*.cpp), all the restore
// engines see of a store. A restore itself is a RestoreRun, and what an interrupted one left a
// RestoreRecovery (the protocol both keep is written at the top of RestoreRun.h).
// A short-lived value made for one operation; not thread-safe.
class BackupStore final : public BackupReader {
public:
    // `temporaryFolder` (applicationSupport/tmp, made private 0700) is the first work area a restore
    // tries for its stages and undo data (none given: the others serve); the work areas and what each
    // holds are in the restore protocol, RestoreRun.h.
    BackupStore(std::filesystem::path root, std::shared_ptr<FileOperations> fileOperations,
                std::filesystem::path temporaryFolder = {});

    void setFileOperations(std::shared_ptr<FileOperations> files) { m_files = std::move(files); }
    void setRestoreCheckpoint(RestoreCheckpointHook hook) { m_restoreCheckpoint = std::move(hook); }
    void setTemporaryFolder(std::filesystem::path folder) { m_temporaryFolder = std::move(folder); }
    // The clock that dates new backups; the system clock in UTC unless replaced.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    // The sentence for the status when this store's last backup or restore first finished (or undid)
    // a restore that was interrupted while it replaced files; absent otherwise.
    const std::optional<QString>& interruptedRestoreNotice() const { return m_interruptedRestoreNotice; }
    // How long lock() waits for another holder; a few seconds unless replaced.
    void setLockPatience(StoreLock::Patience patience) { m_lockPatience = std::move(patience); }

    // Holds the lock every backup, restore and recovery of this store takes for its whole body (an
    // Apply takes it too, around its snapshot and writes): one such operation at a time across all
    // Orvane processes. Re-entrant within a thread. Throws OrvaneError::io when another holder keeps
    // it past the patience, or when the lock file cannot be used; nothing was changed then.
    [[nodiscard]] StoreLock lock() const;
    // The lock file lock() takes: one for all of Orvane's stores (see its definition).
    std::filesystem::path lockFile() const;

    // Copies `files` into a new snapshot and returns its verified manifest. Files that do not exist
    // are skipped (for kind saves they fail the snapshot, as does a file that changes while it is
    // copied). `createdPaths` are the files a restore of this snapshot deletes; a path that was copied
    // is never also listed as created. The snapshot is assembled under a temporary name and appears
    // under its id only when complete; a failed one leaves nothing behind. What an interrupted backup
    // or restore left is removed first.
    BackupManifest createBackup(const std::vector<std::filesystem::path>& files,
                                const std::filesystem::path& instanceRoot, BackupKind kind, const QString& notes,
                                const std::vector<QString>& createdPaths);

    // Backs up every regular file of the instance's "saves" folder (kind saves). A link or special
    // file anywhere, an empty tree or a limit refuses the whole backup before anything is copied.
    BackupManifest createWorldBackup(const std::filesystem::path& instanceRoot, const QString& notes);

    // Re-checks world files before they are copied; returns them standardised, sorted by relative path.
    std::vector<std::filesystem::path> validateWorldSources(const std::vector<std::filesystem::path>& files,
                                                            const std::filesystem::path& instanceRoot) const;

    // The snapshot-relative path of `file`: its path below the instance root, or "technic-root/" and
    // its name for a file outside it or whose path is already taken. Throws for a name that is not UTF-8.
    static QString relativeBackupPath(const std::filesystem::path& file, const std::filesystem::path& instanceRoot,
                                      const std::set<QString>& taken);

    // Copies `source` (never through a link) to `target`, replacing a file there; clones where the file
    // system can. The digest and size are those of the bytes copied.
    CopiedFile cloneOrCopyItem(const std::filesystem::path& source, const std::filesystem::path& target) const;

    // The size of the item at `path` (not following a link).
    static std::int64_t byteCount(const std::filesystem::path& path);

    // "<UTC time with milliseconds, colons removed>-<lower-case UUID>", e.g.
    // 2026-12-08T072108.123Z-0f8fad5b-d9cb-469f-a165-70867728950e.
    static QString makeBackupId(const QDateTime& date, const QUuid& uuid);

    // --- Listing and choosing ---

    // The backups of this store that still verify, newest first. A folder without a manifest, one that
    // escapes the store, an unreadable manifest, a manifest whose id is not its folder's name or a
    // snapshot that no longer verifies is left out.
    // Throws only when the store folder exists and cannot be listed, or when this process runs out of
    // open files (a check that could not be made leaves no backup out).
    std::vector<ListedBackup> listBackups(SnapshotCheck check = SnapshotCheck::digests) const;

    // The backup to restore for an instance: the newest of `kind` (or of any kind when the instance has
    // none of it, or when no kind is given). World saves and overlay files never stand in for each
    // other: asked for saves, only saves are taken; asked for an overlay kind, never saves.
    // World backups whose restore plan is refused are passed over.
    // Chosen by manifest and sizes alone (no copy is read): the restore checks the digests as it
    // stages, and falls back to the next older backup of restorableBackups() on a mismatch.
    std::optional<ListedBackup> latestBackup(const std::filesystem::path& instanceRoot,
                                             std::optional<BackupKind> kind) const;
    // Every backup latestBackup() could choose, in the order a restore tries them (its choice first).
    std::vector<ListedBackup> restorableBackups(const std::filesystem::path& instanceRoot,
                                                std::optional<BackupKind> kind) const;
    // Why the backups a restore of the instance could take all fail: the verification failure
    // (OrvaneError::backupCorrupt) of its newest backup of `kind` (chosen as latestBackup() chooses)
    // that fails its checks, else of the newest backup whose manifest cannot be read, whose instance
    // cannot be told. Nothing when no backup fails so. Reads every backup in full; throws the
    // platform's error when the store cannot be listed or a copy cannot be read.
    std::optional<OrvaneError> restoreCandidateFailure(const std::filesystem::path& instanceRoot,
                                                       std::optional<BackupKind> kind) const;

    // The listing order: the backup made last first (by the store's count), then those made before
    // stores counted, later createdAt first and within one instant the larger id first.
    static bool isNewer(const BackupManifest& a, const BackupManifest& b);

    // --- Restore entry points (BackupStoreRestore.cpp) ---
    // Each throws OrvaneError::backupMissing when there is nothing to restore.

    // Restores the backup latestBackup() picks, or when a copy of it fails its digest while it is
    // staged (before anything is replaced) the next older one. Without a Technic root it is derived
    // from the instance.
    RestoreResult restoreLatestBackup(const std::filesystem::path& instanceRoot,
                                      const std::optional<std::filesystem::path>& technicDataRoot,
                                      std::optional<BackupKind> kind);

    // Restores the backup with the id of `manifest`, as read back from the store.
    RestoreResult restoreBackup(const BackupManifest& manifest, const std::filesystem::path& instanceRoot,
                                const std::optional<std::filesystem::path>& technicDataRoot);

    // Restores `manifest`'s backup, or else the newest backup of `kind` (of any kind when none has it)
    // whatever its instance, onto the instance its manifest records.
    RestoreResult restoreRecordedBackup(const std::optional<BackupManifest>& manifest, std::optional<BackupKind> kind);

    // What every restore does first: finishes, undoes or keeps what a restore of this store onto
    // the instance left when it was interrupted. For a caller that then changes the same files
    // itself. Throws as that recovery throws, and OrvaneError::io when it keeps a restore now.
    void recoverInterruptedRestores(const std::filesystem::path& instanceRoot,
                                    const std::optional<std::filesystem::path>& technicDataRoot);

    // Puts every file of a backup back, each with one swap or exclusive rename, checking each copy's
    // digest as it is staged and re-measuring every destination at each step. Every swap, move, link
    // and removal in a destination folder acts through the descriptor of that folder as its link-free
    // check opened it (and the item's own name), so a folder swapped for a link after the check is never
    // followed. Either every file holds the backed-up bytes afterwards, or every replaced file is put
    // back; bytes that changed meanwhile are never deleted, and the error says where they are. When the
    // rollback fails too, the undo folders are kept (and named). What an interrupted restore left is
    // finished, undone or kept first.
    RestoreResult restoreAtomically(const ListedBackup& backup, const std::filesystem::path& instanceRoot,
                                    const std::optional<std::filesystem::path>& technicDataRoot);

private:
    // What the candidates given to restoreFirstUsable passed already: with `worldsPlanned`, a world
    // backup's sizes check and its plan for the instance (an overlay backup's plan needs the Technic root).
    enum class CandidateChecks { none, worldsPlanned };
    // Restores the first candidate `nextCandidate` gives (nothing when none is left), or after a copy's
    // digest mismatch while staging, the next one that still checks.
    RestoreResult restoreFirstUsable(const std::function<std::optional<ListedBackup>()>& nextCandidate,
                                     CandidateChecks passed, const std::filesystem::path& instanceRoot,
                                     const std::optional<std::filesystem::path>& technicDataRoot);
    using Purpose = RecoveryPurpose;
    // Partial snapshots, and the stages and undo folders of restores that never finished; a restore of
    // this store onto this instance interrupted while it replaced files is finished, undone or kept
    // first (RestoreRecovery). Probes left beside the files `restoring` puts back go too.
    RecoveryOutcome recoverInterruptedWork(const std::filesystem::path& instanceRoot,
                                           const std::optional<std::filesystem::path>& technicDataRoot,
                                           Purpose purpose, const BackupManifest* restoring = nullptr);
    // The candidates restoreLatestBackup() tries, each read only when the restore reaches it, and the
    // newest listed backup of `kind` (of any kind when none has it) whatever its instance.
    std::function<std::optional<ListedBackup>()> restoreCandidates(const std::filesystem::path& instanceRoot,
                                                                   std::optional<BackupKind> kind) const;
    std::optional<ListedBackup> newestBackup(std::optional<BackupKind> kind) const;
    void removePartialSnapshots();
    void removeUnfinishedWork(const std::filesystem::path& instance,
                              const std::optional<std::filesystem::path>& technic);
    void removeProbesBeside(const BackupManifest& restoring, const std::filesystem::path& instance,
                            const std::optional<std::filesystem::path>& technic);
    std::filesystem::path partialSnapshotFolder(const QString& id) const;
    // createBackup after its clean-up, which a world backup does before it lists the saves.
    BackupManifest assembleBackup(const std::vector<std::filesystem::path>& files,
                                  const std::filesystem::path& instanceRoot, BackupKind kind, const QString& notes,
                                  const std::vector<QString>& createdPaths);
    // Copies each source below `directory` and records it in `manifest` (kind set); a file missing
    // now is skipped, except in a world, where it fails the backup as a change does.
    void copyIntoSnapshot(BackupManifest& manifest, const std::vector<std::filesystem::path>& sources,
                          const std::vector<QString>& originalPaths, const std::filesystem::path& directory,
                          const std::filesystem::path& instanceRoot);

    std::function<QDateTime()> m_clock;
    std::optional<QString> m_interruptedRestoreNotice;
    StoreLock::Patience m_lockPatience;
};

} // namespace orvane
