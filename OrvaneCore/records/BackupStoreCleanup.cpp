#include "records/BackupStore.h"

#include "platform/PathText.h"
#include "records/CheckedFolder.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreWorkspace.h"

#include <set>
#include <string>
#include <string_view>
#include <system_error>

namespace orvane {

namespace {

constexpr const char* kPartialPrefix = ".orvane-partial-";

} // namespace

std::filesystem::path BackupStore::partialSnapshotFolder(const QString& id) const
{
    return m_root / (kPartialPrefix + id.toStdString());
}

bool BackupStore::removeInterruptedWork(const std::filesystem::path& instanceRoot,
                                        const std::optional<std::filesystem::path>& technicDataRoot,
                                        const BackupManifest* restoring)
{
    // Snapshots that never got their id: everything in them is a copy of files still in place. Removed
    // through the store's descriptor, never through a link.
    try {
        const CheckedFolder store = CheckedFolder::openOwn(m_root);
        for (const std::string& name : restoreItems::namesIn(store.fd())) {
            if (name.rfind(kPartialPrefix, 0) == 0)
                restoreItems::removeFolderAt(*m_files, store.fd(), name, m_root / name);
        }
    } catch (const std::exception&) {
        // No store yet, or not open now: nothing of it to clean.
    }

    // Before anything else looks at the files: a restore cut off among its replacements is completed.
    const bool whole = finishInterruptedRestores(instanceRoot, technicDataRoot);

    // Stages and undo folders of restores that never finished; kept undo folders stay. Each folder is
    // opened without links (the private one as the restore's own) and cleaned through its descriptor.
    const std::filesystem::path instance = standardised(instanceRoot);
    const auto technic = technicDataRoot ? std::optional(standardised(*technicDataRoot)) : technicRoot(instance);
    if (!m_temporaryFolder.empty()) {
        try {
            RestoreWorkspace::removeInterruptedWork(*m_files, CheckedFolder::openOwn(m_temporaryFolder));
        } catch (const std::exception&) {
            // Missing, or not open now: tried again next time.
        }
    }
    if (const auto hidden = restoreItems::openBelow(instance, RestoreWorkspace::hiddenFolder(instance)))
        RestoreWorkspace::removeInterruptedWork(*m_files, *hidden);
    if (technic) {
        if (const auto hidden = restoreItems::openBelow(*technic, RestoreWorkspace::hiddenFolder(*technic)))
            RestoreWorkspace::removeInterruptedWork(*m_files, *hidden);
    }
    // Only folders of the roots in hand, reached without a link.
    RestoreWorkspace::removeJournaledWork(*m_files, m_root, [&](const std::filesystem::path& folder) {
        return restoreItems::openWithinRoots(folder, instance, technic);
    });
    // A restore killed while it staged leaves a probe beside a new file, recorded nowhere.
    if (restoring) {
        // As text: a world lists tens of thousands of files in a few folders.
        std::set<std::string, std::less<>> folders;
        for (const BackupFile& file : restoring->files) {
            const std::string destination = standardisedText(file.originalPath);
            const std::string_view folder = folderText(destination);
            if (folders.find(folder) == folders.end())
                folders.emplace(folder);
        }
        for (const auto& folder : folders) {
            if (const auto opened = restoreItems::openWithinRoots(std::filesystem::path(folder), instance, technic))
                restoreItems::removeLeftovers(*m_files, *opened, [](const CopiedFile&) { return false; });
        }
    }
    return whole;
}

bool BackupStore::isWithinRoots(const std::filesystem::path& folder, const std::filesystem::path& instance,
                                const std::optional<std::filesystem::path>& technic)
{
    const auto within = [&](const std::filesystem::path& root) {
        return folder == root || (isContained(folder, root) && !pathContainsSymbolicLink(folder, root));
    };
    return within(instance) || (technic && within(*technic));
}

} // namespace orvane
