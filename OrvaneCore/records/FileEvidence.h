#pragma once

#include "platform/FileOperations.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>

#include <sys/stat.h>

namespace orvane {

// The measurements a restore compares. Each one reads the whole file again: the point of every
// comparison is to notice a change made since the last one.

// True when `measured` is exactly the given digest and byte count.
bool matchesEvidence(const CopiedFile& measured, const QString& sha256, std::int64_t byteCount);

// The digest and size of the regular file at `path`, or nothing when it cannot be measured
// (missing, a link, a folder or special file, unreadable).
std::optional<CopiedFile> measureIfPossible(const std::filesystem::path& path);

// True when an item of any type (a dangling link too) is at `path`. Failures other than absence throw.
bool itemExistsAt(const std::filesystem::path& path);

// What a write, a replacement or a removal of a file changes, read with one lstat instead of a read of
// its bytes. The kernel dates a change made after a stat finely enough to tell it apart.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
    std::int64_t changedSeconds = 0, changedNanoseconds = 0;
    bool regular = false;

    bool operator==(const FileStamp&) const = default;
    // The same file with the same bytes, although renamed or linked since (which changes its change time).
    bool sameContent(const FileStamp& other) const;
};

// The stamp of the item at `path` (not following a link), or nothing when nothing is there or it
// cannot be looked at.
std::optional<FileStamp> stampIfPossible(const std::filesystem::path& path);
// The stamp an lstat or fstat read.
FileStamp stampOf(const struct stat& status);

// The digest and size of the regular file at `path`, and the stamp of the file read, which did not
// change while it was read; nothing when it cannot be measured or changed meanwhile.
struct SteadyMeasurement {
    CopiedFile bytes;
    FileStamp stamp;
};
std::optional<SteadyMeasurement> measureSteadily(const std::filesystem::path& path);

} // namespace orvane
