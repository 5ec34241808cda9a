#pragma once

#include "platform/FileOperations.h"
#include "records/CheckedFolder.h"
#include "records/SetAsideFile.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// The restore's own items (what each holds and when it goes: the protocol in RestoreRun.h).
//
// Names of the items a restore makes, each "<prefix><fresh upper-case UUID>" (platform/OwnItemNames).
namespace restoreItems {
std::filesystem::path undoFolderName();   // orvane-restore-undo-<UUID>: undo data, set-aside paths, the record
std::filesystem::path stageName();        // .orvane-restore-stage-<UUID>: backed-up bytes waiting for their swap or rename
std::filesystem::path rollbackName();     // .orvane-restore-rollback-<UUID>: prior bytes waiting to be swapped or moved back
std::filesystem::path preservedName();    // .orvane-restore-preserved-<UUID>: bytes moved aside by a rollback
std::filesystem::path setAsideName();     // .orvane-restore-created-<UUID>: a created path moved into the undo folder
std::filesystem::path keptUndoFolderName(); // orvane-restore-kept-<UUID>: an undo folder kept with its record (see RestoreRun.h)
std::filesystem::path journalName();      // .orvane-restore-areas-<UUID>: a restore's record head, then the destination folders serving as areas
std::filesystem::path probeName();        // .orvane-restore-probe-<UUID>: a link that tests a rename's reach, at once removed

// True for a name of exactly the form of one of the items above: never a world file of its own. A
// player's file that only begins like one (orvane-restore-notes.txt) is not one.
bool isItemName(std::string_view name);
// True for an undo folder under its kept name: one no clean-up takes.
bool isKeptUndoFolder(const std::filesystem::path& folder);

// `folder` (`root` or below it) opened afresh from `root` without following a link; nothing when it
// is missing, reached through a link or cannot be opened now.
std::optional<CheckedFolder> openBelow(const std::filesystem::path& root, const std::filesystem::path& folder) noexcept;

// `folder` opened the same way from the instance or Technic root it lies at or below; nothing for a
// folder outside both.
std::optional<CheckedFolder> openWithinRoots(const std::filesystem::path& folder, const std::filesystem::path& instance,
                                             const std::optional<std::filesystem::path>& technic) noexcept;

// The names in an open folder (without "." and ".."); none when it cannot be listed.
std::vector<std::string> namesIn(int folder);

// Removes from `folder` the regular files an interrupted restore left there: probes, stages and
// rollback copies (names of exactly their form) whose bytes `known` accepts. A probe only ever holds
// backed-up bytes; a stage or rollback copy may hold bytes that changed while it was in use, which
// stay, and so does a file merely named like one. Each is looked at, measured and removed through the
// folder's descriptor by its own name. Never a link, a folder or preserved bytes; what cannot be
// removed is left for the next time.
void removeLeftovers(FileOperations& files, const CheckedFolder& folder,
                     const std::function<bool(const CopiedFile&)>& known) noexcept;
// The same in `folder`, opened below `root` without links; nothing is removed when it cannot be.
void removeLeftovers(FileOperations& files, const std::filesystem::path& root, const std::filesystem::path& folder,
                     const std::function<bool(const CopiedFile&)>& known) noexcept;

// Removes the folder `name` in the open folder `parent` (at `path`) and everything in it, through
// descriptors all the way down: regular files and folders only, never anything through a link. False
// when something stays (a link, a special file, a failure).
bool removeFolderAt(FileOperations& files, int parent, const std::filesystem::path& name,
                    const std::filesystem::path& path) noexcept;

// Moves a set-aside file from where it lies (`file.aside`, a full path) back to its original path
// (below the root of `folders`) without replacing anything there, through its folder opened afresh
// without links. Nothing when it is back; otherwise "<original>: <why not>", for the report of a
// rollback or an undo.
std::optional<QString> putBack(FileOperations& files, const FolderDescriptorCache& folders, const SetAsideFile& file);

// Renames an undo folder to a kept name no clean-up takes, with everything in it (its commit record
// too): the only copy of the files as they were may be there. Returns where it is now: its own path
// when it is kept already or cannot be renamed (no clean-up takes one holding its record either).
std::filesystem::path keepUndoFolder(FileOperations& files, const std::filesystem::path& folder);

// Removes a temporary file; a failure leaves it and is not reported.
void removeQuietly(FileOperations& files, const std::filesystem::path& path);
} // namespace restoreItems

} // namespace orvane
