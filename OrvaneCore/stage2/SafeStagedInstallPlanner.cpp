#include "stage2/SafeStagedInstallPlanner.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "stage2/InstallRootIdentity.h"
#include "stage2/InstallRootPaths.h"
#include "stage2/MountTable.h"

#include <iterator>
#include <utility>

#include <sys/stat.h>

namespace orvane {

namespace {

[[noreturn]] void refuse(const char* text)
{
    throw OrvaneError::policyDenied(QString::fromUtf8(text));
}

struct CheckedRoot {
    std::filesystem::path path;
    InstallRootIdentity identity;
};

CheckedRoot checkedInnerRoot(const QUrl& url, const CheckedRoot& approved, const MountTable& mounts,
                             const char* notFile, const char* outside)
{
    if (!url.isLocalFile())
        refuse(notFile);
    std::filesystem::path root = canonicalizeInstallRoot(url, false);
    // Strictly inside, at a "/" boundary: the approved root itself and "/A/approved2" are outside.
    if (!isContained(root, approved.path))
        refuse(outside);
    walkInstallRoot(root);
    // Inside by path is not enough: a folder mounted there from elsewhere lies outside.
    InstallRootIdentity identity = InstallRootIdentity::of(root, mounts);
    if (!identity.liesWithin(approved.identity))
        refuse(outside);
    return {std::move(root), std::move(identity)};
}

// The file at `relativePath` under `root`, refused unless it would be written inside the root's own
// folder, also where a mount inside the root shows a folder from elsewhere.
std::filesystem::path checkedLocation(const CheckedRoot& root, const QString& relativePath, const MountTable& mounts)
{
    std::filesystem::path location = joinUnderRoot(root.path, relativePath);
    walkInstallLocation(root.path, relativePath);
    if (!InstallRootIdentity::of(location, mounts).liesWithin(root.identity))
        refuse("Install plan path escaped its root.");
    return location;
}

} // namespace

std::filesystem::path SafeStagedInstallPlanner::validateApprovedRoot(const QUrl& approvedRoot)
{
    if (!approvedRoot.isLocalFile())
        refuse("The approved install root must be a file URL.");
    std::filesystem::path root = canonicalizeInstallRoot(approvedRoot, true);
    // "/" counts as one component, so anything narrower than the file-system root passes.
    if (root == "/" || std::distance(root.begin(), root.end()) < 2)
        refuse("The approved install root is too broad.");
    struct stat info {};
    if (::lstat(root.c_str(), &info) != 0)
        throwErrno("lstat", root);
    if (!S_ISDIR(info.st_mode) || S_ISLNK(info.st_mode))
        refuse("The approved install root must be an existing non-symlink directory.");
    walkInstallRoot(root);
    return root;
}

SafeStagedInstallPlan SafeStagedInstallPlanner::plan(const ValidatedArtifactManifest& manifest,
                                                     const QUrl& approvedRoot, const QUrl& stagingRoot,
                                                     const QUrl& finalRoot)
{
    const std::filesystem::path approvedPath = validateApprovedRoot(approvedRoot);
    const MountTable mounts = MountTable::read();
    const CheckedRoot approved{approvedPath, InstallRootIdentity::of(approvedPath, mounts)};
    const CheckedRoot staging = checkedInnerRoot(stagingRoot, approved, mounts,
                                                 "The staging install root must be a file URL.",
                                                 "The staging install root is outside the approved root.");
    const CheckedRoot finalFolder = checkedInnerRoot(finalRoot, approved, mounts,
                                                     "The final install root must be a file URL.",
                                                     "The final install root is outside the approved root.");
    // Compared as the volume would ("work" and "WORK", not yet made, may become one folder) and as
    // the folders they are (a bind mount shows one folder at two paths).
    if (installRootsCoincide(staging.path, finalFolder.path) || staging.identity.isSameFolderAs(finalFolder.identity))
        refuse("Staging and final install roots must differ.");
    if (installRootIsInside(finalFolder.path, staging.path) || installRootIsInside(staging.path, finalFolder.path)
        || finalFolder.identity.isStrictlyInside(staging.identity)
        || staging.identity.isStrictlyInside(finalFolder.identity))
        refuse("Staging and final install roots must not overlap.");

    SafeStagedInstallPlan plan;
    plan.manifestID = manifest.manifest.id;
    plan.packID = manifest.manifest.packID;
    plan.providerID = manifest.manifest.providerID;
    plan.packVersion = manifest.manifest.packVersion;
    plan.approvedRoot = approved.path;
    plan.stagingRoot = staging.path;
    plan.finalRoot = finalFolder.path;
    plan.placements.reserve(manifest.artifacts.size());
    for (const ValidatedArtifact& validated : manifest.artifacts) {
        const QString& relative = validated.relativePath.rawValue();
        std::filesystem::path stagingURL = checkedLocation(staging, relative, mounts);
        std::filesystem::path finalURL = checkedLocation(finalFolder, relative, mounts);
        plan.placements.push_back({validated.artifact, std::move(stagingURL), std::move(finalURL)});
    }
    plan.preservedRelativePaths = {QStringLiteral("saves")};
    return plan;
}

} // namespace orvane
