#pragma once

#include "stage2/AuthorizedArtifactManifest.h"

#include <QByteArrayView>

#include <filesystem>

namespace orvane {

// Checks delivered bytes against the size and SHA-256 their manifest declared. Refusals are
// OrvaneError::policyDenied naming the artifact; file-system errors pass through unchanged.
class ArtifactIntegrityVerifier final {
public:
    ArtifactIntegrityVerifier() = delete;

    // Size first, so a short download is reported without hashing it.
    static void verify(QByteArrayView data, const AuthorizedArtifact& artifact);

    // The file is opened once without following a final link, must be a regular file of the declared
    // size, and is hashed through that same descriptor, so it cannot be swapped between the checks.
    static void verify(const std::filesystem::path& file, const AuthorizedArtifact& artifact);
};

} // namespace orvane
