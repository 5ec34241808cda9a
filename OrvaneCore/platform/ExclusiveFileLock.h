#pragma once

#include "platform/FileDescriptor.h"

#include <filesystem>

namespace orvane {

// An exclusive advisory lock (flock) on a lock file, held from construction until destruction. The
// kernel drops it when the holder dies, so a crash never leaves it taken. The file is created 0600
// when missing; a link in its place is refused.
class ExclusiveFileLock final {
public:
    // Waits until the lock is held; throws std::system_error when the file cannot be opened or locked.
    explicit ExclusiveFileLock(const std::filesystem::path& path);

private:
    FileDescriptor m_fd;
};

} // namespace orvane
