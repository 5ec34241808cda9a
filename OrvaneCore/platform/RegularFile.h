#pragma once

#include "platform/FileDescriptor.h"
#include "platform/FileOperations.h"

#include <sys/stat.h>

#include <filesystem>

namespace orvane {

// Opens `path` for reading without blocking, and without following a final link unless `followLinks`,
// and requires a regular file (a folder is refused with EISDIR, a FIFO or device with EINVAL, never a
// hang). `status` receives its fstat. Failures throw std::system_error naming `operation`.
FileDescriptor openRegularFile(const std::filesystem::path& path, const char* operation = "open",
                               struct stat* status = nullptr, bool followLinks = false);

// SHA-256 and byte count of a regular file, both from the one descriptor opened as above.
CopiedFile measureRegularFile(const std::filesystem::path& path);

} // namespace orvane
