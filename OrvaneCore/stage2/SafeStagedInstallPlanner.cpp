#include "stage2/SafeStagedInstallPlanner.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "stage2/InstallRootPaths.h"

#include <iterator>
#include <utility>

#include <sys/stat.h>

namespace orvane {

namespace {

[[noreturn]] void refuse(const char* text)
{
    throw OrvaneError::policyDenied(QString::fromUtf8(text));
}

std::filesystem::path checkedInnerRoot(const QUrl& url, const std::filesystem::path& approved, const char* notFile,
                                       const char* outside)
{
    if (!url.isLocalFile())
        refuse(notFile);
    std::filesystem::path root = canonicalizeInstallRoot(url, false);
    // Strictly inside, at a "/" boundary: the approved root itself and "/A/approved2" are outside.
    if (!isContained(root, approved))
        refuse(outside);
    walkInstallRoot(root);
    return root;
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
    const std::filesystem::path approved = validateApprovedRoot(approvedRoot);
    const std::filesystem::path staging = checkedInnerRoot(stagingRoot, approved,
                                                           "The staging install root must be a file URL.",
                                                           "The staging install root is outside the approved root.");
    const std::filesystem::path finalFolder = checkedInnerRoot(finalRoot, approved,
                                                         "The final install root must be a file URL.",
                                                         "The final install root is outside the approved root.");
    // Compared as the volume would: "work" and "WORK", not yet made, may become one folder.
    if (installRootsCoincide(staging, finalFolder))
        refuse("Staging and final install roots must differ.");
    if (installRootIsInside(finalFolder, staging) || installRootIsInside(staging, finalFolder))
        refuse("Staging and final install roots must not overlap.");

    SafeStagedInstallPlan plan;
    plan.manifestID = manifest.manifest.id;
    plan.packID = manifest.manifest.packID;
    plan.providerID = manifest.manifest.providerID;
    plan.packVersion = manifest.manifest.packVersion;
    plan.approvedRoot = approved;
    plan.stagingRoot = staging;
    plan.finalRoot = finalFolder;
    plan.placements.reserve(manifest.artifacts.size());
    for (const ValidatedArtifact& validated : manifest.artifacts) {
        const QString& relative = validated.relativePath.rawValue();
        std::filesystem::path stagingURL = joinUnderRoot(staging, relative);
        walkInstallLocation(staging, relative);
        std::filesystem::path finalURL = joinUnderRoot(finalFolder, relative);
        walkInstallLocation(finalFolder, relative);
        plan.placements.push_back({validated.artifact, std::move(stagingURL), std::move(finalURL)});
    }
    plan.preservedRelativePaths = {QStringLiteral("saves")};
    return plan;
}

} // namespace orvane
