// The overlay restore: Balanced undone key by key, from the snapshots that hold the overlay files
// as they were before Balanced first took effect on them.
#include "session/CompanionSession.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "session/EntryExists.h"
#include "session/IntactSnapshot.h"
#include "session/OverlayFileReplacement.h"
#include "session/OverlayKeyRestore.h"
#include "session/OverlayOriginals.h"
#include "session/OverlayTargetChecks.h"
#include "session/PlanResolver.h"
#include "session/SnapshotFile.h"
#include "session/TransactionalInstaller.h"
#include "technic/TechnicFileReading.h"
#include "technic/TechnicJavaSafety.h"

#include <QJsonObject>

#include <algorithm>
#include <exception>

namespace orvane {

namespace {

// One overlay file and where its values from before Balanced are.
struct FileOrigin {
    std::filesystem::path file;
    ListedBackup backup;
    QStringList keys;
};

// The snapshot `id`, verified in full (sizes, then digests); nothing when it is gone from the store.
std::optional<ListedBackup> verifiedSnapshot(const BackupStore& store, const QString& id)
{
    if (!BackupStore::isSafeBackupID(id) || !entryExists(store.root() / pathFromText(id)))
        return std::nullopt;
    std::optional<ListedBackup> backup;
    try {
        BackupManifest wanted;
        wanted.id = id;
        backup = store.loadBackup(wanted);
    } catch (const OrvaneError&) {
        throw;
    } catch (const std::exception&) {
        throw OrvaneError::backupCorrupt(QStringLiteral("unreadable manifest for ") + id);
    }
    store.verifySnapshot(backup->manifest, backup->directory, BackupStore::SnapshotCheck::sizes);
    store.verifySnapshot(backup->manifest, backup->directory, BackupStore::SnapshotCheck::digests);
    return backup;
}

// The origins the record names for the target files: nothing when it names none of them, or a
// snapshot that is gone (then the snapshot is chosen as before the record existed).
std::optional<std::vector<FileOrigin>> recordedOrigins(const BackupStore& store,
                                                       const std::optional<OverlayOriginals>& record,
                                                       const std::vector<std::filesystem::path>& targets)
{
    if (!record)
        return std::nullopt;
    std::vector<FileOrigin> origins;
    for (const auto& file : targets) {
        const OverlayOriginal* entry = record->find(pathText(standardised(file)));
        if (!entry)
            continue;
        std::optional<ListedBackup> backup = verifiedSnapshot(store, entry->backupId);
        if (!backup)
            return std::nullopt;
        origins.push_back({file, std::move(*backup), entry->keys});
    }
    if (origins.empty())
        return std::nullopt;
    return origins;
}

// The overlay target files, in target order.
enum class Target { options, runData, settings };

Target targetAt(const std::vector<std::filesystem::path>& targets, const std::filesystem::path& file)
{
    return Target(std::find(targets.begin(), targets.end(), file) - targets.begin());
}

// The keys the plan writes to a file, for snapshots taken before Orvane recorded them.
QStringList planKeys(const OverlayPlan& plan, Target target)
{
    QStringList keys;
    if (target == Target::options) {
        for (const auto& [key, value] : plan.options)
            keys.append(key);
        return keys;
    }
    keys.append(QStringLiteral("memory"));
    if (target == Target::runData)
        keys.append(QStringLiteral("java"));
    else if (plan.disableMojangJava || plan.enableMojangJava)
        keys.append(QStringLiteral("useMojangJava"));
    return keys;
}

// The newest pre-overlay snapshot of the instance that verifies, as restores chose before the
// record: for every target file, with the keys of the plan. The listing leaves a damaged backup
// out; when nothing is left but damaged ones, the restore says what failed.
std::vector<FileOrigin> latestSnapshotOrigins(const BackupStore& store, const std::filesystem::path& instance,
                                              const std::vector<std::filesystem::path>& targets,
                                              const OverlayPlan& plan)
{
    for (ListedBackup& backup : store.restorableBackups(instance, BackupKind::preOverlay)) {
        if (!isIntactSnapshot(store, backup))
            continue;
        std::vector<FileOrigin> origins;
        for (const auto& file : targets)
            origins.push_back({file, backup, planKeys(plan, targetAt(targets, file))});
        return origins;
    }
    if (auto failure = store.restoreCandidateFailure(instance, BackupKind::preOverlay))
        throw *failure;
    throw OrvaneError::backupMissing();
}

// The file as its snapshot holds it: its verified copy, or nothing where it did not exist then.
// Throws OrvaneError::backupCorrupt when the copy read is not what the manifest records.
std::optional<QByteArray> originalBytes(FileOperations& files, const FileOrigin& origin)
{
    const BackupFile* copy = SnapshotFile::copyOf(origin.backup.manifest, origin.file);
    if (!copy)
        return std::nullopt;
    const QByteArray bytes = files.readRegularFile(origin.backup.directory / pathFromText(copy->relativePath),
                                                   technicFileByteLimit, false);
    if (!SnapshotFile::matchesCopy(bytes, *copy))
        throw OrvaneError::backupCorrupt(QStringLiteral("hash mismatch ") + copy->relativePath);
    return bytes;
}

// The file now, checked as Apply checks it before it edits it.
std::optional<QByteArray> currentBytes(FileOperations& files, const std::filesystem::path& file, Target target)
{
    if (!entryExists(file))
        return std::nullopt;
    QByteArray bytes = files.readRegularFile(file, technicFileByteLimit, false);
    if (target == Target::runData)
        TransactionalInstaller::runDataObject(bytes);
    else if (target == Target::settings)
        parseJsonObject(bytes, QStringLiteral("settings.json"));
    return bytes;
}

// The changes that put every origin's keys back, filling in what the result reports of them.
std::vector<OverlayFileReplacement::Change> restoringChanges(FileOperations& files,
                                                             const std::vector<FileOrigin>& origins,
                                                             const std::vector<std::filesystem::path>& targets,
                                                             RestoreResult& result)
{
    using Action = OverlayKeyRestore::Outcome::Action;
    std::vector<OverlayFileReplacement::Change> changes;
    for (const FileOrigin& origin : origins) {
        if (!SnapshotFile::isKnown(origin.backup.manifest, origin.file))
            continue; // the snapshot does not know the file from before: Balanced never wrote it
        const Target target = targetAt(targets, origin.file);
        const std::optional<QByteArray> original = originalBytes(files, origin);
        if (original) {
            ++result.verification.verifiedFileCount;
            result.verification.verifiedByteCount += std::uint64_t(original->size());
        }
        QStringList keys = origin.keys;
        // Balanced fills in the pack's Java only where it was missing.
        const auto before = original ? jsonObjectIfPossible(*original) : std::nullopt;
        if (target == Target::runData && before && before->contains(QStringLiteral("java")))
            keys.removeAll(QStringLiteral("java"));
        const auto form = target == Target::options ? OverlayKeyRestore::Form::options : OverlayKeyRestore::Form::json;
        const auto outcome = OverlayKeyRestore::restore(form, original, currentBytes(files, origin.file, target), keys,
                                                        pathText(origin.file));
        if (outcome.action == Action::keep)
            continue;
        const bool remove = outcome.action == Action::remove;
        changes.push_back({origin.file, remove, outcome.bytes, existingModeOr(origin.file, 0644)});
        (remove ? result.deletedCreatedFiles : result.restoredFiles).push_back(pathText(origin.file));
    }
    return changes;
}

} // namespace

RestoreResult CompanionSession::restoreOverlay()
{
    Locked locked(m_mutex);
    const InstallInspection inspection = writeGuard(locked);
    const std::filesystem::path instance = *inspection.instanceRoot;
    BackupStore store = makeBackupStore(m_paths.backups);
    OverlayTargetChecks::requireNoLinks(inspection, instance);
    const StoreLock held = store.lock();
    OverlayTargetChecks::removeWriteLeftovers(*m_files, inspection, instance);
    // A whole-file restore cut off midway (an Apply's rollback) is finished or undone first.
    store.recoverInterruptedRestores(instance, inspection.technicRoot);

    const std::vector<std::filesystem::path> targets = overlayTargetFiles(inspection, instance);
    const std::filesystem::path recordFile = OverlayOriginals::location(m_paths.applicationSupport);
    std::optional<OverlayOriginals> record = OverlayOriginals::read(*m_files, recordFile);
    std::optional<std::vector<FileOrigin>> recorded = recordedOrigins(store, record, targets);
    const std::vector<FileOrigin> origins =
        recorded ? std::move(*recorded)
                 : latestSnapshotOrigins(store, instance, targets,
                                         PlanResolver::resolve(currentCapability(locked), inspection));

    RestoreResult result;
    result.backupId = origins.front().backup.manifest.id;
    result.verification.backupKind = origins.front().backup.manifest.kind;
    result.verification.algorithm = QStringLiteral("SHA-256");
    OverlayFileReplacement(m_files).apply(restoringChanges(*m_files, origins, targets, result));
    if (record) {
        bool ended = false;
        for (const FileOrigin& origin : origins)
            ended = record->endEffect(pathText(standardised(origin.file))) || ended;
        try {
            if (ended)
                record->write(*m_files, recordFile);
        } catch (const std::exception&) {
            // Left saying Balanced is in effect, the record names the same origins for the next
            // Apply and restore: the keys are back as those snapshots hold them.
        }
    }

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
    result.message = needsReapply ? TechnicJavaSafety::overlayRestoredMessage
                                  : QStringLiteral("Original overlay settings restored. Other settings were kept.");
    if (const auto& notice = store.interruptedRestoreNotice())
        result.message = *notice + QLatin1Char(' ') + *result.message;
    return result;
}

} // namespace orvane
