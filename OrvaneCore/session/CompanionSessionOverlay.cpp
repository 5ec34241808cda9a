#include "session/CompanionSession.h"

#include "model/ContentPolicyEngine.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/RestoreWorkspace.h"
#include "session/EntryExists.h"
#include "session/IntactSnapshot.h"
#include "session/OverlayFileEvidence.h"
#include "session/OverlayOriginals.h"
#include "session/OverlayTargetChecks.h"
#include "session/PlanResolver.h"
#include "session/SnapshotFile.h"
#include "session/TransactionalInstaller.h"
#include "session/UnrecordedOverlayOrigin.h"
#include "technic/InstallInspector.h"
#include "technic/TechnicJavaSafety.h"

#include <exception>

namespace orvane {

namespace {

const QString preOverlayNotes = QStringLiteral("Pre-overlay snapshot of files Orvane is allowed to change.");
const QString manualNotes = QStringLiteral(
    "Manual overlay snapshot of files Orvane is allowed to change. Restore prefers the latest Apply snapshot.");

// True when a restore cut off among its replacements left what finishing it needs. The next backup or
// restore completes or undoes it before anything else looks at the files, so Apply takes its snapshot
// then (which does that) instead of keeping one over files that restore may still change.
bool interruptedRestoreLeft(FileOperations& files, const BackupStore& store, const InstallInspection& inspection)
{
    std::vector<std::filesystem::path> places{store.temporaryFolder(),
                                              RestoreWorkspace::hiddenFolder(*inspection.instanceRoot)};
    if (inspection.technicRoot)
        places.push_back(RestoreWorkspace::hiddenFolder(*inspection.technicRoot));
    for (const auto& place : places) {
        if (!place.empty() && !RestoreWorkspace::recordedUndoFolders(place).empty())
            return true;
    }
    // A restore that worked in the destination folders themselves names them in a journal in the store.
    return !RestoreWorkspace::journalsIn(files, store.root()).empty();
}

// The pre-overlay snapshot Apply keeps instead of taking a new one: the one a restore would take,
// when every overlay file holds either what restoring it leaves there or what this Apply writes
// (Balanced applied already, or an Apply killed midway). A new snapshot would then hold Balanced
// files and hide those from before Orvane's first Apply from every restore. Nothing when a file
// holds anything else, the player having changed it since: a new snapshot is taken.
std::optional<BackupManifest> snapshotToKeep(const BackupStore& store, const std::shared_ptr<FileOperations>& files,
                                             const OverlayPlan& plan, const InstallInspection& inspection,
                                             const OverlayFileEvidence& held)
{
    const std::filesystem::path instance = *inspection.instanceRoot;
    if (interruptedRestoreLeft(*files, store, inspection))
        return std::nullopt;
    // As the restore chooses: the newest first, passing over one whose copies no longer match.
    for (const ListedBackup& backup : store.restorableBackups(instance, BackupKind::preOverlay)) {
        if (backup.manifest.kind != BackupKind::preOverlay)
            return std::nullopt; // a manual snapshot is the user's own: never the one Apply keeps
        try {
            store.planRestore(backup.manifest, backup.directory, instance, inspection.technicRoot);
        } catch (const OrvaneError&) {
            return std::nullopt; // a restore would refuse it: a new snapshot serves instead
        }
        if (!isIntactSnapshot(store, backup))
            continue;
        std::vector<TransactionalInstaller::PendingWrite> writes;
        try {
            writes = TransactionalInstaller(files).prepare(plan, inspection);
        } catch (const std::exception&) {
            return std::nullopt; // the installer meets the same error after the snapshot, and reports it
        }
        if (!held.eachHoldsSnapshotOrWrite(backup.manifest, writes))
            return std::nullopt;
        return backup.manifest;
    }
    return std::nullopt;
}

// Balanced is about to write `writes` over files `snapshot` holds from just before: each file
// Balanced is in effect on keeps the origin recorded when it first took effect (the new snapshot
// holds Balanced's own values then); a file the record never named may have one from a release
// that kept no record; any other file takes `snapshot` as its origin. Written before the first
// overlay file, so that an Apply killed midway leaves the origins known.
void noteOriginals(const BackupStore& store, FileOperations& files, const std::filesystem::path& location,
                   const std::filesystem::path& instance, const BackupManifest& snapshot,
                   const std::vector<TransactionalInstaller::PendingWrite>& writes)
{
    OverlayOriginals record = OverlayOriginals::read(files, location).value_or(OverlayOriginals{});
    bool changed = false;
    for (const auto& write : writes) {
        const QString path = pathText(standardised(write.file));
        std::optional<QString> origin;
        if (!record.find(path))
            origin = UnrecordedOverlayOrigin::find(store, files, instance, snapshot.id, write);
        if (!origin && SnapshotFile::isKnown(snapshot, write.file))
            origin = snapshot.id;
        changed = record.noteWrite(path, write.keys, origin) || changed;
    }
    if (changed)
        record.write(files, location);
}

// After an Apply that changed no overlay file in the end, the record is as it was. Best effort: a
// record left naming this Apply's snapshot names one that holds the files as they are.
void putRecordBack(FileOperations& files, const std::filesystem::path& location, const std::optional<QByteArray>& bytes)
{
    try {
        if (bytes)
            files.writeAtomically(location, *bytes, 0600);
        else if (entryExists(location))
            files.removeFile(location);
    } catch (const std::exception&) {
        // See above: nothing depends on it.
    }
}

} // namespace

std::vector<std::filesystem::path> CompanionSession::overlayTargetFiles(const InstallInspection& inspection,
                                                                        const std::filesystem::path& instanceRoot)
{
    std::vector<std::filesystem::path> files{instanceRoot / "options.txt", instanceRoot / "bin" / "runData"};
    if (inspection.technicRoot)
        files.push_back(*inspection.technicRoot / "settings.json");
    return files;
}

std::vector<QString> CompanionSession::missingOverlayFiles(const InstallInspection& inspection)
{
    if (!inspection.instanceRoot)
        return {};
    std::vector<QString> missing;
    for (const auto& file : {*inspection.instanceRoot / "options.txt", *inspection.instanceRoot / "bin" / "runData"}) {
        if (!entryExists(file))
            missing.push_back(pathText(standardised(file)));
    }
    return missing;
}

BackupManifest CompanionSession::createOverlaySnapshot(Locked& locked, BackupKind kind,
                                                       const std::vector<QString>& createdPaths, const QString& notes)
{
    const InstallInspection inspection = writeGuard(locked);
    const std::filesystem::path instance = *inspection.instanceRoot;
    OverlayTargetChecks::requireNoLinks(inspection, instance);
    BackupManifest manifest = makeBackupStore(m_paths.backups)
                                  .createBackup(overlayTargetFiles(inspection, instance), instance, kind, notes,
                                                createdPaths);
    m_lastBackup = manifest;
    return manifest;
}

BackupManifest CompanionSession::createManualSnapshot()
{
    Locked locked(m_mutex);
    return createOverlaySnapshot(locked, BackupKind::manual, {}, manualNotes);
}

ApplyResult CompanionSession::applyBalanced()
{
    Locked locked(m_mutex);
    const CapabilityReport capability = currentCapability(locked);
    // A stored inspection may be of another build: tested again before the guard's checks.
    const InstallInspection inspection = writeGuard(locked, InstallInspector::checkCertifiedVersions);
    const std::filesystem::path instance = *inspection.instanceRoot;
    OverlayTargetChecks::requireNoLinks(inspection, instance);
    // From the first change to the last write or rollback: another process's backup, restore or
    // clean-up never runs in between.
    const StoreLock held = makeBackupStore(m_paths.backups).lock();
    OverlayTargetChecks::removeWriteLeftovers(*m_files, inspection, instance);

    if (inspection.technicRoot)
        TechnicJavaSafety::removeUserJDKSymlink(*inspection.technicRoot, *m_files);
    const OverlayPlan plan = PlanResolver::resolve(capability, inspection);
    ContentPolicyEngine policy = ContentPolicyEngine::loadFromResources();
    policy.now = now();
    policy.authorize(plan.requiredComponents);

    const std::vector<std::filesystem::path> targets = overlayTargetFiles(inspection, instance);
    const std::optional<OverlayFileEvidence> before = OverlayFileEvidence::measure(targets);
    const std::vector<QString> created = missingOverlayFiles(inspection);
    const std::optional<BackupManifest> kept =
        before ? snapshotToKeep(makeBackupStore(m_paths.backups), m_files, plan, inspection, *before) : std::nullopt;
    if (kept) {
        writeGuard(locked); // as a new snapshot would
        m_lastBackup = kept;
    }
    const BackupManifest snapshot =
        kept ? *kept : createOverlaySnapshot(locked, BackupKind::preOverlay, created, preOverlayNotes);

    const std::filesystem::path originals = OverlayOriginals::location(m_paths.applicationSupport);
    const std::optional<QByteArray> originalsBefore = OverlayOriginals::readBytes(*m_files, originals);
    try {
        TransactionalInstaller(m_files).apply(plan, inspection, policy, [&](const auto& writes) {
            noteOriginals(makeBackupStore(m_paths.backups), *m_files, originals, instance, snapshot, writes);
        });
    } catch (const std::exception& applyError) {
        // A write that failed before its rename replaced nothing: there is nothing to put back, and a
        // staged restore would need the very space that may have run out.
        if (before && OverlayFileEvidence::measure(targets) == before) {
            putRecordBack(*m_files, originals, originalsBefore);
            throw;
        }
        // Always with the inspection's data folder: an instance outside <data folder>/modpacks could
        // not otherwise have its settings.json put back.
        try {
            makeBackupStore(m_paths.backups).restoreBackup(snapshot, instance, inspection.technicRoot);
        } catch (const std::exception& rollbackError) {
            // Balanced is partly written: the record names the snapshot holding the files from before.
            throw OrvaneError::applyFailedRollbackFailed(describe(applyError), describe(rollbackError));
        }
        putRecordBack(*m_files, originals, originalsBefore);
        throw;
    }

    m_lastPlan = plan;
    inspect(locked);

    std::vector<QString> changedFiles;
    for (const auto& file : targets)
        changedFiles.push_back(pathText(file));
    return ApplyResult{snapshot.id, std::move(changedFiles), plan};
}

} // namespace orvane
