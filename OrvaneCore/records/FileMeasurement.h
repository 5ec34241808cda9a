#pragma once

#include "platform/FileOperations.h"

#include <filesystem>

namespace orvane {

// SHA-256 and byte count of a regular file, both from one descriptor opened without following a
// final link and without blocking (a FIFO or device is refused with EINVAL, never a hang).
// Failures throw std::system_error.
CopiedFile measureRegularFile(const std::filesystem::path& path);

} // namespace orvane
