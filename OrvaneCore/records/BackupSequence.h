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

// The count of the backup about to be made in the store at `storeRoot`: one more than the highest a
// backup there holds, so that it comes after every one made before whatever the clock says. Read from
// each manifest's last bytes, so that a backup reads no other backup in full.
std::int64_t nextBackupSequence(const std::filesystem::path& storeRoot);

} // namespace orvane
