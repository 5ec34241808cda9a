#include "records/RestoreRoots.h"

#include "platform/PathText.h"
#include "records/BackupReader.h"

#include <sys/stat.h>

namespace orvane {

bool isSameFolder(const std::filesystem::path& a, const std::filesystem::path& b)
{
    if (standardised(a) == standardised(b))
        return true;
    // Followed to the end: each may be reached through links.
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && S_ISDIR(first.st_mode)
        && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool isWithinRoots(const std::filesystem::path& folder, const RestoreRoots& roots)
{
    const auto within = [&](const std::filesystem::path& root) {
        return folder == root || (isContained(folder, root) && !BackupReader::pathContainsSymbolicLink(folder, root));
    };
    return within(roots.instance) || (roots.technic && within(*roots.technic));
}

std::optional<RestoreRoots> rootsOf(const RestoreCommitRecord& record, const std::filesystem::path& store,
                                    const std::filesystem::path& instance,
                                    const std::optional<std::filesystem::path>& technic)
{
    if (!isSameFolder(record.store, store) || !isSameFolder(record.instanceRoot, instance))
        return std::nullopt;
    RestoreRoots roots{standardised(record.instanceRoot), std::nullopt};
    if (record.technicRoot && technic && isSameFolder(*record.technicRoot, *technic))
        roots.technic = standardised(*record.technicRoot);
    return roots;
}

} // namespace orvane
