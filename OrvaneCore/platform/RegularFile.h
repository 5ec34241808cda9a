#pragma once

#include "platform/FileDescriptor.h"
#include "platform/FileOperations.h"

#include <sys/stat.h>

#include <filesystem>

namespace orvane {

// Opens `path` for reading without following a final link and without blocking, and requires a
// regular file (a FIFO or device is refused with EINVAL, never a hang). `status` receives its fstat.
// Failures throw std::system_error naming `operation`.
FileDescriptor openRegularFile(const std::filesystem::path& path, const char* operation = "open",
                               struct stat* status = nullptr);

// SHA-256 and byte count of a regular file, both from the one descriptor opened as above.
CopiedFile measureRegularFile(const std::filesystem::path& path);

} // namespace orvane
