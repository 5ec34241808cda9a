#pragma once

#include "stage2/AuthorizedArtifactManifest.h"
#include "stage2/SafeRelativePath.h"

#include <vector>

namespace orvane {

// An artifact that passed validation, with its path in checked form.
struct ValidatedArtifact {
    AuthorizedArtifact artifact;
    SafeRelativePath relativePath;

    bool operator==(const ValidatedArtifact&) const = default;
};

// A manifest whose context, dates, artifacts and rights all held; the manifest itself is unchanged.
struct ValidatedArtifactManifest {
    AuthorizedArtifactManifest manifest;
    std::vector<ValidatedArtifact> artifacts; // in the manifest's order

    bool operator==(const ValidatedArtifactManifest&) const = default;
};

} // namespace orvane
