#pragma once

#include "stage2/ArchiveEntryDescriptor.h"
#include "stage2/SafeRelativePath.h"

#include <cstdint>
#include <vector>

namespace orvane {

// Judges an archive's table of entries, before anything is extracted, against limits the caller
// chooses. Every limit must be given: there are no defaults.
struct ArchiveSafetyValidator {
    std::int64_t maximumEntryCount;
    std::uint64_t maximumEntryByteCount;  // uncompressed size of one file
    std::uint64_t maximumTotalByteCount;  // sum of the files' uncompressed sizes
    std::uint64_t maximumExpansionRatio;  // uncompressed at most this many times compressed

    ArchiveSafetyValidator(std::int64_t maximumEntryCount, std::uint64_t maximumEntryByteCount,
                           std::uint64_t maximumTotalByteCount, std::uint64_t maximumExpansionRatio)
        : maximumEntryCount(maximumEntryCount)
        , maximumEntryByteCount(maximumEntryByteCount)
        , maximumTotalByteCount(maximumTotalByteCount)
        , maximumExpansionRatio(maximumExpansionRatio)
    {
    }

    // The entries' safe paths in archive order (a directory's without its trailing "/"); the first
    // problem throws OrvaneError::policyDenied.
    std::vector<SafeRelativePath> validate(const std::vector<ArchiveEntryDescriptor>& entries) const;
};

} // namespace orvane
