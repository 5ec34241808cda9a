#pragma once

#include "platform/FileOperations.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>

namespace orvane {

// The measurements a restore compares. Each one reads the whole file again: the point of every
// comparison is to notice a change made since the last one.

// True when `measured` is exactly the given digest and byte count.
bool matchesEvidence(const CopiedFile& measured, const QString& sha256, std::int64_t byteCount);

// The digest and size of the regular file at `path`, or nothing when it cannot be measured
// (missing, a link, a folder or special file, unreadable).
std::optional<CopiedFile> measureIfPossible(const std::filesystem::path& path);

// True when the regular file at `path` holds exactly these bytes; false when it differs or cannot be measured.
bool holdsBytes(const std::filesystem::path& path, const QString& sha256, std::int64_t byteCount);

// True when an item of any type (a dangling link too) is at `path`. Failures other than absence throw.
bool itemExistsAt(const std::filesystem::path& path);

} // namespace orvane
