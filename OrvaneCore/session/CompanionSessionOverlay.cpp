#include "session/CompanionSession.h"

#include "model/ContentPolicyEngine.h"
#include "model/OrvaneError.h"
#include "platform/AtomicWriteTemporary.h"
#include "platform/PathText.h"
#include "records/RestoreWorkspace.h"
#include "session/OverlayFileEvidence.h"
#include "session/PlanResolver.h"
#include "session/TransactionalInstaller.h"
#include "technic/InstallInspector.h"
#include "technic/TechnicJavaSafety.h"

#include <exception>
#include <system_error>

namespace orvane {

namespace {

const QString preOverlayNotes = QStringLiteral("Pre-overlay snapshot of files Orvane is allowed to change.");
const QString manualNotes = QStringLiteral(
    "Manual overlay snapshot of files Orvane is allowed to change. Restore prefers the latest Apply snapshot.");

bool somethingExistsAt(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// A snapshot, a write and a restore of a file reached through a link would each treat the link
// differently (copy refused, write replacing the link, restore refusing it), so a failed Apply could
// not be rolled back. Refused before anything is written.
void requireOverlayTargetsWithoutLinks(const InstallInspection& inspection, const std::filesystem::path& instance)
{
    for (const auto& file : CompanionSession::overlayTargetFiles(inspection, instance)) {
        const bool inInstance = isContained(standardised(file), standardised(instance));
        const std::filesystem::path root = inInstance || !inspection.technicRoot ? instance : *inspection.technicRoot;
        if (BackupStore::pathContainsSymbolicLink(file, root))
            throw OrvaneError::overlayRefused(
                QStringLiteral("%1 is reached through a symbolic link. Orvane will not write through links.")
                    .arg(pathText(file)));
    }
}

// What a write of an overlay file killed midway left beside it: the next Apply or overlay restore
// removes it (the targets were just checked to be reached without links).
void removeOverlayWriteLeftovers(FileOperations& files, const InstallInspection& inspection,
                                 const std::filesystem::path& instance)
{
    for (const auto& file : CompanionSession::overlayTargetFiles(inspection, instance)) {
        const std::string name = file.filename().native();
        atomicWriteTemporary::removeLeftovers(files, file.parent_path(),
                                              [&](std::string_view target) { return target == name; });
    }
}

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
        try {
            store.verifySnapshot(backup.manifest, backup.directory);
        } catch (const OrvaneError& error) {
            if (error.kind() != OrvaneError::Kind::backupCorrupt)
                throw;
            continue;
        }
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

// The newest pre-overlay snapshot put back. The listing leaves a damaged backup out; when nothing
// is left but damaged ones, the restore says what failed rather than that no backup exists.
RestoreResult restoreLatestOverlayBackup(BackupStore& store, const std::filesystem::path& instance,
                                         const std::optional<std::filesystem::path>& technicRoot)
{
    try {
        return store.restoreLatestBackup(instance, technicRoot, BackupKind::preOverlay);
    } catch (const OrvaneError& error) {
        if (error.kind() != OrvaneError::Kind::backupMissing)
            throw;
        if (auto failure = store.restoreCandidateFailure(instance, BackupKind::preOverlay))
            throw *failure;
        throw;
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
        if (!somethingExistsAt(file))
            missing.push_back(pathText(standardised(file)));
    }
    return missing;
}

BackupManifest CompanionSession::createOverlaySnapshot(Locked& locked, BackupKind kind,
                                                       const std::vector<QString>& createdPaths, const QString& notes)
{
    const InstallInspection inspection = writeGuard(locked);
    const std::filesystem::path instance = *inspection.instanceRoot;
    requireOverlayTargetsWithoutLinks(inspection, instance);
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
    const InstallInspection inspection = m_lastInspection ? *m_lastInspection : inspectCertified(locked);
    // A stored inspection may be of another build: test it again.
    InstallInspector::checkCertifiedVersions(inspection);
    requireNotArchiveCopy(locked, inspection);
    if (isTechnicRunning())
        throw OrvaneError::technicRunning();
    if (m_processes->isGameJavaRunning())
        throw OrvaneError::minecraftRunning();
    if (!inspection.instanceRoot)
        throw OrvaneError::tekkitMissing();
    const std::filesystem::path instance = *inspection.instanceRoot;
    requireOverlayTargetsWithoutLinks(inspection, instance);
    // From the first change to the last write or rollback: another process's backup, restore or
    // clean-up never runs in between.
    const StoreLock held = makeBackupStore(m_paths.backups).lock();
    removeOverlayWriteLeftovers(*m_files, inspection, instance);

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

    try {
        TransactionalInstaller(m_files).apply(plan, inspection, policy);
    } catch (const std::exception& applyError) {
        // A write that failed before its rename replaced nothing: there is nothing to put back, and a
        // staged restore would need the very space that may have run out.
        if (before && OverlayFileEvidence::measure(targets) == before)
            throw;
        // Always with the inspection's data folder: an instance outside <data folder>/modpacks could
        // not otherwise have its settings.json put back.
        try {
            makeBackupStore(m_paths.backups).restoreBackup(snapshot, instance, inspection.technicRoot);
        } catch (const std::exception& rollbackError) {
            throw OrvaneError::applyFailedRollbackFailed(describe(applyError), describe(rollbackError));
        }
        throw;
    }

    m_lastPlan = plan;
    inspect(locked);

    std::vector<QString> changedFiles;
    for (const auto& file : targets)
        changedFiles.push_back(pathText(file));
    return ApplyResult{snapshot.id, std::move(changedFiles), plan};
}

RestoreResult CompanionSession::restoreOverlay()
{
    Locked locked(m_mutex);
    const InstallInspection inspection = writeGuard(locked);
    const std::filesystem::path instance = *inspection.instanceRoot;
    BackupStore store = makeBackupStore(m_paths.backups);
    requireOverlayTargetsWithoutLinks(inspection, instance);
    const StoreLock held = store.lock();
    removeOverlayWriteLeftovers(*m_files, inspection, instance);
    RestoreResult result = restoreLatestOverlayBackup(store, instance, inspection.technicRoot);
    m_lastBackup.reset();
    try {
        inspect(locked);
    } catch (const std::exception&) {
        m_lastInspection.reset();
    }
    const CapabilityReport capability = currentCapability(locked);
    const bool needsReapply = capability.architecture == QLatin1String("arm64") && capability.rosettaInstalled
        && m_lastInspection && m_lastInspection->useMojangJava == false;
    result.needsReapplyForMojangJava = needsReapply;
    result.message = needsReapply ? QStringLiteral("Original overlay files restored. On Apple Silicon, Apply Balanced "
                                                   "again before Play so Use Mojang Java is on.")
                                  : QStringLiteral("Original overlay files restored.");
    if (const auto& notice = store.interruptedRestoreNotice())
        result.message = *notice + QLatin1Char(' ') + *result.message;
    return result;
}

} // namespace orvane
