#pragma once

#include "model/BackupManifest.h"
#include "model/OrvaneError.h"
#include "platform/FileOperations.h"
#include "records/ListedBackup.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace orvane {

// Refusals of a world that is not damaged, only kept where or how Orvane will not take it: each names
// the item that stops it, in the words a player reads.

// The first component below `root` on the way to `path` (or `path` itself) that is a symbolic link;
// nothing when none is.
std::optional<std::filesystem::path> firstSymbolicLink(const std::filesystem::path& path,
                                                       const std::filesystem::path& root);

// `link` (a link in a saves folder, or on the way to one) is never followed.
OrvaneError worldLinkRefused(const std::filesystem::path& link);
// The same for the first link on the way from `root` to `path`; `path` itself when none is found now
// (it was a link a moment ago).
OrvaneError worldLinkRefused(const std::filesystem::path& path, const std::filesystem::path& root);

// The first link on the way from the instance to a file a world backup of it puts back (one a restore
// plan refuses); nothing when no such backup lies behind a link.
std::optional<std::filesystem::path> linkBeforeBackedUpWorld(const std::vector<ListedBackup>& backups,
                                                             const std::filesystem::path& instanceRoot);

// A world file larger than the most one backup takes of a file.
OrvaneError worldFileTooLarge(const std::filesystem::path& file, std::uint64_t limit);

// The copies of a backup or restore did not fit: `bytes` more must be freed on the disk that holds `folder`.
OrvaneError backupNeedsSpace(std::uint64_t bytes, const std::filesystem::path& folder);
OrvaneError restoreNeedsSpace(std::uint64_t bytes, const std::filesystem::path& folder);

// A world restore whose stages did not fit (`error` says so; nothing was replaced): throws how much to
// free on the disk that holds the instance's saves. Other errors and kinds return.
void rethrowIfRestoreOutOfSpace(FileOperations& files, const std::system_error& error, const BackupManifest& manifest,
                                const std::filesystem::path& instanceRoot);

// A write refused for want of space (or of the user's quota).
bool isOutOfSpace(const std::system_error& error);
// What copies of `fileBytes` in `fileCount` files (with the records beside them) still need on the
// disk that holds the existing `folder`: the whole of it when the disk cannot tell or says it is there.
std::uint64_t spaceShortfall(FileOperations& files, std::uint64_t fileBytes, std::uint64_t fileCount,
                             const std::filesystem::path& folder);
// The highest folder at or below `root` on the way to `folder` that lies on the same disk as `folder`:
// what to name when telling where to free space.
std::filesystem::path diskFolderOf(const std::filesystem::path& folder, const std::filesystem::path& root);

} // namespace orvane
