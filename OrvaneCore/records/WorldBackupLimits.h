#pragma once

#include <cstdint>

namespace orvane {

// The bounds of one world backup.
namespace WorldBackupLimits {
inline constexpr std::int64_t maxFileCount = 500000;          // regular files in one backup
inline constexpr std::int64_t maxFileBytes = 68719476736;     // 64 GiB, the largest single file
inline constexpr std::int64_t maxTotalBytes = 2199023255552;  // 2 TiB, the largest sum of sizes
} // namespace WorldBackupLimits

} // namespace orvane
