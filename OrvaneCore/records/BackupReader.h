#pragma once

#include "model/BackupManifest.h"
#include "platform/FileOperations.h"
#include "records/ListedBackup.h"
#include "records/RestoreCheckpoint.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace orvane {

// What a restore may do with a backup store: read a backup back, check it against its manifest and
// plan where it goes. Nothing here writes to the store. The restore engines (RestoreRun,
// RestoreRecovery) see a store only through this; BackupStore, which makes, lists and restores
// backups, is one. Not thread-safe.
class BackupReader {
public:
    // How far a snapshot is checked against its manifest: every copy's digest (a read of the whole
    // backup), or every copy's size (a stat each). A restore checks the digests as it stages the copies.
    enum class SnapshotCheck { digests, sizes };

    const std::filesystem::path& root() const { return m_root; }
    const std::shared_ptr<FileOperations>& fileOperations() const { return m_files; }
    // Called by restores at their commit points; absent (empty) after construction.
    const RestoreCheckpointHook& restoreCheckpoint() const { return m_restoreCheckpoint; }
    // The first work area a restore tries for its stages and undo data (empty: the others serve);
    // the work areas and what each holds are in the restore protocol, RestoreRun.h.
    const std::filesystem::path& temporaryFolder() const { return m_temporaryFolder; }

    // Throws OrvaneError::backupCorrupt at the first difference between a manifest and its folder.
    void verifySnapshot(const BackupManifest& manifest, const std::filesystem::path& directory,
                        SnapshotCheck check = SnapshotCheck::digests) const;

    // Throws OrvaneError::backupCorrupt at the first place a restore of `manifest` would write or delete
    // outside where it may. Recorded paths must be absolute: a relative one is never resolved. Only the
    // overlay's own files that the restore does not put back (options.txt, bin/runData) may be deleted.
    void planRestore(const BackupManifest& manifest, const std::filesystem::path& directory,
                     const std::filesystem::path& instanceRoot,
                     const std::optional<std::filesystem::path>& technicDataRoot) const;

    // The backup with the id of `manifest`, decoded afresh from its folder (not verified here).
    std::optional<ListedBackup> loadBackup(const std::optional<BackupManifest>& manifest) const;

    // <data root> for an instance at <data root>/modpacks/<pack>; nothing for an instance anywhere else.
    static std::optional<std::filesystem::path> technicRoot(const std::filesystem::path& instanceRoot);

    // True when `path` is not strictly below `root`, or any component below `root` is a symbolic link.
    // Both are standardised; the root itself is not tested.
    static bool pathContainsSymbolicLink(const std::filesystem::path& path, const std::filesystem::path& root);

    // Refuses negative counts, an overflowing sum and, for world backups, the size limits; returns the total.
    static std::uint64_t checkByteBounds(const BackupManifest& manifest);

    // Not empty, not absolute, no empty, "." or ".." piece.
    static bool isSafeRelativeBackupPath(const QString& relativePath);

    // 1 to 128 UTF-8 bytes of letters, marks, digits (any script), "-" and "."; not "." or "..".
    static bool isSafeBackupID(const QString& id);

    // The manifest of the snapshot in `folder`, read from the folder's own file (never through a link).
    static BackupManifest readManifestIn(FileOperations& files, const std::filesystem::path& folder);

protected:
    BackupReader(std::filesystem::path root, std::shared_ptr<FileOperations> fileOperations,
                 std::filesystem::path temporaryFolder);
    ~BackupReader() = default;
    BackupReader(const BackupReader&) = default;
    BackupReader& operator=(const BackupReader&) = default;

    std::filesystem::path m_root;
    std::shared_ptr<FileOperations> m_files;
    RestoreCheckpointHook m_restoreCheckpoint;
    std::filesystem::path m_temporaryFolder;
};

} // namespace orvane
