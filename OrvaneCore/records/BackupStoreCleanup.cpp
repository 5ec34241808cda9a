#include "records/BackupStore.h"

#include "platform/OwnItemNames.h"
#include "platform/PathText.h"
#include "records/CheckedFolder.h"
#include "records/FileEvidence.h"
#include "records/RestoreRecovery.h"
#include "records/RestoreRoots.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreWorkspace.h"

#include <algorithm>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

namespace orvane {

std::filesystem::path BackupStore::partialSnapshotFolder(const QString& id) const
{
    return m_root / (std::string(ownItemNames::partialBackup) + id.toStdString());
}

RecoveryOutcome BackupStore::recoverInterruptedWork(const std::filesystem::path& instanceRoot,
                                                            const std::optional<std::filesystem::path>& technicDataRoot,
                                                            Purpose purpose, const BackupManifest* restoring)
{
    removePartialSnapshots();
    // Before anything else looks at the files: a restore cut off among its replacements is completed.
    const RecoveryOutcome recovery
        = RestoreRecovery(*this, instanceRoot, technicDataRoot, purpose, m_interruptedRestoreNotice).run();
    const std::filesystem::path instance = standardised(instanceRoot);
    const auto technic = technicDataRoot ? std::optional(standardised(*technicDataRoot)) : technicRoot(instance);
    removeUnfinishedWork(instance, technic);
    if (restoring)
        removeProbesBeside(*restoring, instance, technic);
    return recovery;
}

// Snapshots that never got their id: everything in them is a copy of files still in place. Removed
// through the store's descriptor, never through a link.
void BackupStore::removePartialSnapshots()
{
    try {
        const CheckedFolder store = CheckedFolder::openOwn(m_root);
        for (const std::string& name : restoreItems::namesIn(store.fd())) {
            if (name.starts_with(ownItemNames::partialBackup))
                restoreItems::removeFolderAt(*m_files, store.fd(), name, m_root / name);
        }
    } catch (const std::exception&) {
        // No store yet, or not open now: nothing of it to clean.
    }
}

// Stages and undo folders of restores that never finished; kept undo folders stay. Each folder is
// opened without links (the private one as the restore's own) and cleaned through its descriptor.
void BackupStore::removeUnfinishedWork(const std::filesystem::path& instance,
                                       const std::optional<std::filesystem::path>& technic)
{
    if (!m_temporaryFolder.empty()) {
        try {
            RestoreWorkspace::clearWorkArea(*m_files, CheckedFolder::openOwn(m_temporaryFolder));
        } catch (const std::exception&) {
            // Missing, or not open now: tried again next time.
        }
    }
    if (const auto hidden = restoreItems::openBelow(instance, RestoreWorkspace::hiddenFolder(instance)))
        RestoreWorkspace::clearWorkArea(*m_files, *hidden);
    if (technic) {
        if (const auto hidden = restoreItems::openBelow(*technic, RestoreWorkspace::hiddenFolder(*technic)))
            RestoreWorkspace::clearWorkArea(*m_files, *hidden);
    }
    // Only folders below the roots of a journal's own restore onto this instance (however it is reached
    // now), reached without a link.
    const std::filesystem::path store = standardised(std::filesystem::absolute(m_root));
    RestoreWorkspace::removeJournaledWork(
        *m_files, m_root, [&](const RestoreWorkspace::Journal& journal, const std::filesystem::path& folder) {
            const auto roots = journal.record ? rootsOf(*journal.record, store, instance, technic)
                                              : std::optional(RestoreRoots{instance, technic});
            return roots ? restoreItems::openWithinRoots(folder, roots->instance, roots->technic) : std::nullopt;
        });
}

// A restore killed while it staged leaves a probe beside a new file, recorded nowhere; it holds a file
// of the backup it restored, most likely this one again.
void BackupStore::removeProbesBeside(const BackupManifest& restoring, const std::filesystem::path& instance,
                                     const std::optional<std::filesystem::path>& technic)
{
    // As text: a world lists tens of thousands of files in a few folders.
    std::set<std::string, std::less<>> folders;
    for (const BackupFile& file : restoring.files) {
        const std::string destination = standardisedText(file.originalPath);
        const std::string_view folder = folderText(destination);
        if (folders.find(folder) == folders.end())
            folders.emplace(folder);
    }
    const auto isBackedUp = [&](const CopiedFile& bytes) {
        return std::any_of(restoring.files.begin(), restoring.files.end(), [&](const BackupFile& file) {
            return matchesEvidence(bytes, file.sha256, file.byteCount);
        });
    };
    for (const auto& folder : folders) {
        if (const auto opened = restoreItems::openWithinRoots(std::filesystem::path(folder), instance, technic))
            restoreItems::removeLeftovers(*m_files, *opened, isBackedUp);
    }
}

} // namespace orvane
