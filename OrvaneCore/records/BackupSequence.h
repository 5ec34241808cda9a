#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace orvane {

// The count the manifest in a backup folder holds, read from its last bytes alone (the shared encoder
// sorts keys, and "sequence" sorts last); nothing for a manifest written before stores counted their
// backups, or one that is missing or not of that form. A hint for the order in which to read backups:
// the decoded manifest is what counts.
std::optional<std::int64_t> sequenceOfBackupIn(const std::filesystem::path& folder);

} // namespace orvane
