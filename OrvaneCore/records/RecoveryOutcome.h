#pragma once

#include <filesystem>
#include <vector>

namespace orvane {

// The operation a recovery of interrupted restores runs before. A backup never records a world an
// interrupted restore left mixed: it refuses while one is kept. A restore replaces such a world (the
// way out the refusal names), except right when the recovery first finds it, which it reports instead.
enum class RecoveryPurpose { backup, restore };

// What the recovery left of restores that were interrupted while they replaced files.
struct RecoveryOutcome {
    bool keptNow = false; // one was kept as it is just now: the notice says where its files are
    // The undo folders of ones an earlier operation kept, left for the restore to release.
    std::vector<std::filesystem::path> keptBefore;
};

} // namespace orvane
