#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

namespace orvane {

// A commit point of a restore, handed to the store's optional hook.
struct RestoreCheckpoint {
    enum class Kind {
        beforeCommit,       // before the last checks of one file
        beforeAtomicCommit, // after those checks, immediately before the file's rename
        beforeRollback,     // before one committed file is rolled back
    };

    Kind kind = Kind::beforeCommit;
    std::int64_t index = 0; // the file's position in the manifest
    std::filesystem::path destination;

    bool operator==(const RestoreCheckpoint&) const = default;
};

// May throw; an absent hook is an empty function.
using RestoreCheckpointHook = std::function<void(const RestoreCheckpoint&)>;

} // namespace orvane
