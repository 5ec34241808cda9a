#pragma once

#include "records/WorldBackupLimits.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace orvane {

struct WorldScanLimits {
    std::uint64_t maxFileCount = std::uint64_t(WorldBackupLimits::maxFileCount);
    std::uint64_t maxFileBytes = std::uint64_t(WorldBackupLimits::maxFileBytes);
    std::uint64_t maxTotalBytes = std::uint64_t(WorldBackupLimits::maxTotalBytes);
};

struct WorldSaveScan {
    std::vector<std::filesystem::path> files; // regular files, in walk order (depth first, pre-order)
    std::uint64_t totalBytes = 0;
};

// Adds one world file's size to `total`, refusing (OrvaneError) a file over the size limit or a total
// over the total limit; `total` stays within the limit, so the sum never wraps. `file` is named.
void countWorldFileBytes(std::uint64_t& total, std::uint64_t size, const std::filesystem::path& file,
                         const WorldScanLimits& limits = {});

// Walks a saves folder with openat/fstatat, never following a link, hidden entries included.
// Refuses (OrvaneError) the whole tree on a link (named) or special file anywhere, a file name that is not
// valid UTF-8, or any limit; a folder that cannot be opened or read fails with OrvaneError::io.
// The saves folder itself is opened without following a link.
WorldSaveScan scanWorldSaves(const std::filesystem::path& savesFolder, const WorldScanLimits& limits = {});

} // namespace orvane
