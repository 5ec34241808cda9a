#pragma once

#include "stage2/AuthorizedArtifactManifest.h"

#include <QString>

#include <filesystem>
#include <vector>

namespace orvane {

// Where one artifact is written first and where it ends up.
struct StagedArtifactPlacement {
    AuthorizedArtifact artifact;
    std::filesystem::path stagingURL; // under the staging root
    std::filesystem::path finalURL;   // under the final root

    bool operator==(const StagedArtifactPlacement&) const = default;
};

// The locations of a staged install, fixed before anything is written.
struct SafeStagedInstallPlan {
    QString manifestID;
    QString packID;
    QString providerID;
    QString packVersion;
    std::filesystem::path approvedRoot; // canonical folders
    std::filesystem::path stagingRoot;
    std::filesystem::path finalRoot;
    std::vector<StagedArtifactPlacement> placements; // in the manifest's artifact order
    std::vector<QString> preservedRelativePaths;     // always the world saves: {"saves"}

    bool operator==(const SafeStagedInstallPlan&) const = default;
};

} // namespace orvane
