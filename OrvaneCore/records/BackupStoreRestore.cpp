#include "records/BackupStore.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/RestoreRecovery.h"
#include "records/RestoreRun.h"
#include "records/SnapshotCopyMismatch.h"
#include "records/WorldRefusals.h"

#include <utility>

namespace orvane {

RestoreResult BackupStore::restoreLatestBackup(const std::filesystem::path& instanceRoot,
                                               const std::optional<std::filesystem::path>& technicDataRoot,
                                               std::optional<BackupKind> kind)
{
    const StoreLock held = lock();
    // Older backups are looked at only when the restore falls back to them.
    return restoreFirstUsable(restoreCandidates(instanceRoot, kind), CandidateChecks::worldsPlanned, instanceRoot,
                              technicDataRoot ? technicDataRoot : technicRoot(instanceRoot));
}

RestoreResult BackupStore::restoreBackup(const BackupManifest& manifest, const std::filesystem::path& instanceRoot,
                                         const std::optional<std::filesystem::path>& technicDataRoot)
{
    const StoreLock held = lock();
    const auto loaded = loadBackup(manifest);
    if (!loaded)
        throw OrvaneError::backupMissing();
    return restoreAtomically(*loaded, instanceRoot, technicDataRoot ? technicDataRoot : technicRoot(instanceRoot));
}

RestoreResult BackupStore::restoreRecordedBackup(const std::optional<BackupManifest>& manifest,
                                                 std::optional<BackupKind> kind)
{
    const StoreLock held = lock();
    std::optional<ListedBackup> chosen = manifest ? loadBackup(manifest) : newestBackup(kind);
    if (!chosen)
        throw OrvaneError::backupMissing();
    const std::filesystem::path instance = pathFromText(chosen->manifest.instanceRoot);
    return restoreAtomically(*chosen, instance, technicRoot(instance));
}

RestoreResult BackupStore::restoreAtomically(const ListedBackup& backup, const std::filesystem::path& instanceRoot,
                                             const std::optional<std::filesystem::path>& technicDataRoot)
{
    const StoreLock held = lock();
    std::optional<ListedBackup> only = backup;
    return restoreFirstUsable([&] { return std::exchange(only, std::nullopt); }, CandidateChecks::none, instanceRoot,
                              technicDataRoot);
}

void BackupStore::recoverInterruptedRestores(const std::filesystem::path& instanceRoot,
                                             const std::optional<std::filesystem::path>& technicDataRoot)
{
    const StoreLock held = lock();
    const RecoveryOutcome recovery = recoverInterruptedWork(instanceRoot, technicDataRoot, Purpose::restore);
    if (recovery.keptNow)
        throw OrvaneError::io(*m_interruptedRestoreNotice + QStringLiteral(" Nothing was replaced."));
}

RestoreResult BackupStore::restoreFirstUsable(const std::function<std::optional<ListedBackup>()>& nextCandidate,
                                              CandidateChecks passed, const std::filesystem::path& instanceRoot,
                                              const std::optional<std::filesystem::path>& technicDataRoot)
{
    std::optional<ListedBackup> candidate = nextCandidate();
    if (!candidate) {
        // A killed backup's partial folder goes first.
        recoverInterruptedWork(instanceRoot, technicDataRoot, Purpose::restore);
        // A backup there is, behind a link Orvane does not follow: that is what stops the restore.
        if (const auto link = linkBeforeBackedUpWorld(listBackups(SnapshotCheck::sizes), instanceRoot))
            throw worldLinkRefused(*link);
        throw OrvaneError::backupMissing();
    }
    std::optional<OrvaneError> mismatch;
    for (; candidate; candidate = nextCandidate()) {
        const ListedBackup& backup = *candidate;
        // Nothing is created before the snapshot's manifest and sizes and the plan are all accepted;
        // the digests are checked as the copies are staged.
        try {
            if (passed != CandidateChecks::worldsPlanned || backup.manifest.kind != BackupKind::saves) {
                verifySnapshot(backup.manifest, backup.directory, SnapshotCheck::sizes);
                planRestore(backup.manifest, backup.directory, instanceRoot, technicDataRoot);
            }
        } catch (const OrvaneError&) {
            if (!mismatch)
                throw;
            continue; // an older backup that no longer serves either
        }
        // Files changed since an interrupted restore are not replaced by the restore that finds them:
        // the notice says where its replaced files are kept. One kept earlier is replaced now, the way
        // out its refusals named, and is over once this restore is done.
        const RecoveryOutcome recovery = recoverInterruptedWork(instanceRoot, technicDataRoot, Purpose::restore, &backup.manifest);
        if (recovery.keptNow)
            throw OrvaneError::io(*m_interruptedRestoreNotice + QStringLiteral(" Nothing was replaced."));
        try {
            RestoreResult result = RestoreRun(*this, backup, instanceRoot, technicDataRoot).run();
            releaseKeptRestores(*m_files, recovery.keptBefore);
            return result;
        } catch (const SnapshotCopyMismatch& failed) {
            if (!mismatch)
                mismatch = failed.error(); // nothing was replaced: the next older backup may serve
        } catch (const std::system_error& error) {
            rethrowIfRestoreOutOfSpace(*m_files, error, backup.manifest, instanceRoot);
            throw;
        }
    }
    throw *mismatch;
}

} // namespace orvane
