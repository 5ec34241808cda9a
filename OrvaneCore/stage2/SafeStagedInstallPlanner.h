#pragma once

#include "stage2/SafeStagedInstallPlan.h"
#include "stage2/ValidatedArtifactManifest.h"

#include <QUrl>

#include <filesystem>

namespace orvane {

// Plans where each artifact of a validated manifest is staged and where it finally goes, both
// strictly inside one approved install root. Refuses roots that are too broad, reached through a
// link or a case alias, outside the approved root, or overlapping each other (also as a volume
// that folds names would see them, and by device and inode, so that a bind mount showing one folder
// at two paths or a folder from elsewhere inside the approved root is caught), and a location that
// passes through or ends at a link or leads through a mount out of its root. It
// only plans: nothing is created, moved or deleted, and every refusal is OrvaneError::policyDenied.
//
// Roots and locations are checked at the moment of the call, not at install time: a link or
// folder created inside a root afterwards, or a root swapped after planning, is not caught here.
// Whatever writes the plan must open each location without following links.
class SafeStagedInstallPlanner final {
public:
    SafeStagedInstallPlanner() = delete;

    static SafeStagedInstallPlan plan(const ValidatedArtifactManifest& manifest, const QUrl& approvedRoot,
                                      const QUrl& stagingRoot, const QUrl& finalRoot);

    // The canonical approved root: an existing folder, reached without links or aliases, and
    // narrower than "/".
    static std::filesystem::path validateApprovedRoot(const QUrl& approvedRoot);
};

} // namespace orvane
