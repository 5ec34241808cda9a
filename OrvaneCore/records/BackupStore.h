#pragma once

#include "model/BackupManifest.h"
#include "platform/FileOperations.h"
#include "records/RestoreCheckpoint.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace orvane {

// Owns the backups under one folder: overlay snapshots (the backups folder) or world backups (its
// "saves" subfolder). Each snapshot is <root>/<id>/ with the copies and manifest.json.
// A short-lived value made for one operation; not thread-safe.
class BackupStore final {
public:
    BackupStore(std::filesystem::path root, std::shared_ptr<FileOperations> fileOperations);

    const std::filesystem::path& root() const { return m_root; }
    void setRoot(std::filesystem::path root) { m_root = std::move(root); }
    const std::shared_ptr<FileOperations>& fileOperations() const { return m_files; }
    void setFileOperations(std::shared_ptr<FileOperations> files) { m_files = std::move(files); }
    // Called by restores at their commit points; absent (empty) after construction.
    const RestoreCheckpointHook& restoreCheckpoint() const { return m_restoreCheckpoint; }
    void setRestoreCheckpoint(RestoreCheckpointHook hook) { m_restoreCheckpoint = std::move(hook); }
    // The clock that dates new backups; the system clock in UTC unless replaced.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Copies `files` into a new snapshot and returns its verified manifest. Files that do not exist
    // are skipped (for kind saves they fail the snapshot). `createdPaths` are the files a restore of
    // this snapshot deletes; a path that was copied is never also listed as created.
    // A failed snapshot leaves no snapshot folder behind.
    BackupManifest createBackup(const std::vector<std::filesystem::path>& files,
                                const std::filesystem::path& instanceRoot, BackupKind kind, const QString& notes,
                                const std::vector<QString>& createdPaths);

    // Backs up every regular file of the instance's "saves" folder (kind saves). A link or special
    // file anywhere, an empty tree or a limit refuses the whole backup before anything is copied.
    BackupManifest createWorldBackup(const std::filesystem::path& instanceRoot, const QString& notes);

    // Throws OrvaneError::backupCorrupt at the first difference between a manifest and its folder.
    void verifySnapshot(const BackupManifest& manifest, const std::filesystem::path& directory) const;

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

    // True when `path` is not strictly below `root`, or any component below `root` is a symbolic link.
    // Both are standardised; the root itself is not tested.
    static bool pathContainsSymbolicLink(const std::filesystem::path& path, const std::filesystem::path& root);

    // Refuses negative counts, an overflowing sum and, for world backups, the size limits; returns the total.
    static std::uint64_t checkByteBounds(const BackupManifest& manifest);

    // Not empty, not absolute, no empty, "." or ".." piece.
    static bool isSafeRelativeBackupPath(const QString& relativePath);

    // "<UTC time with milliseconds, colons removed>-<lower-case UUID>", e.g.
    // 2026-12-08T072108.123Z-0f8fad5b-d9cb-469f-a165-70867728950e.
    static QString makeBackupId(const QDateTime& date, const QUuid& uuid);

private:
    std::filesystem::path m_root;
    std::shared_ptr<FileOperations> m_files;
    RestoreCheckpointHook m_restoreCheckpoint;
    std::function<QDateTime()> m_clock;
};

} // namespace orvane
