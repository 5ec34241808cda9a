#include "records/BackupStore.h"

#include "platform/PathText.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreWorkspace.h"

#include <set>

#include <string>
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
    // Snapshots that never got their id: everything in them is a copy of files still in place.
    std::error_code ec;
    std::vector<std::filesystem::path> partial;
    for (auto it = std::filesystem::directory_iterator(m_root, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        if (it->path().filename().native().rfind(kPartialPrefix, 0) == 0)
            partial.push_back(it->path());
    }
    for (const auto& folder : partial) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Before anything else looks at the files: a restore cut off among its replacements is completed.
    const bool whole = finishInterruptedRestores(instanceRoot, technicDataRoot);

    // Stages and undo folders of restores that never finished; kept undo folders stay.
    if (!m_temporaryFolder.empty())
        RestoreWorkspace::removeInterruptedWork(*m_files, m_temporaryFolder);
    const std::filesystem::path instance = standardised(instanceRoot);
    RestoreWorkspace::removeInterruptedWork(*m_files, RestoreWorkspace::hiddenFolder(instance));
    const auto technic = technicDataRoot ? std::optional(standardised(*technicDataRoot)) : technicRoot(instance);
    if (technic)
        RestoreWorkspace::removeInterruptedWork(*m_files, RestoreWorkspace::hiddenFolder(*technic));
    // Only folders of the roots in hand, reached without a link.
    RestoreWorkspace::removeJournaledWork(*m_files, m_root, [&](const std::filesystem::path& folder) {
        return isWithinRoots(folder, instance, technic);
    });
    // A restore killed while it staged leaves a probe beside a new file, recorded nowhere.
    if (restoring) {
        std::set<std::filesystem::path> folders;
        for (const BackupFile& file : restoring->files)
            folders.insert(standardised(pathFromText(file.originalPath)).parent_path());
        for (const auto& folder : folders) {
            if (folder.is_absolute() && isWithinRoots(folder, instance, technic))
                restoreItems::removeLeftovers(*m_files, folder, [](const CopiedFile&) { return false; });
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
