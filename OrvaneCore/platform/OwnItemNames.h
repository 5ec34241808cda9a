#pragma once

#include <filesystem>
#include <string_view>

namespace orvane {

// Every name Orvane gives its own items on disk, in one place: whatever makes, finds, cleans up or
// leaves out one of them asks here, so no two places can disagree about what is Orvane's.
// Names made fresh are "<prefix><UUID in capitals>"; only a name of exactly that form is Orvane's,
// so a player's file that merely begins the same way is never taken for one.
namespace ownItemNames {
// A restore's items (see RestoreTemporaryItems and RestoreWorkspace).
inline constexpr std::string_view undoFolder = "orvane-restore-undo-";
inline constexpr std::string_view keptUndoFolder = "orvane-restore-kept-";
inline constexpr std::string_view stage = ".orvane-restore-stage-";
inline constexpr std::string_view rollback = ".orvane-restore-rollback-";
inline constexpr std::string_view preserved = ".orvane-restore-preserved-";
inline constexpr std::string_view setAside = ".orvane-restore-created-";
inline constexpr std::string_view journal = ".orvane-restore-areas-";
inline constexpr std::string_view probe = ".orvane-restore-probe-";
// Fixed names: the hidden work folder at the top of a root, and the commit record in an undo folder.
inline constexpr std::string_view hiddenWorkFolder = ".orvane-restore";
inline constexpr std::string_view commitRecord = ".orvane-restore-commit";

// A snapshot assembled under ".orvane-partial-<backup id>" until it is complete.
inline constexpr std::string_view partialBackup = ".orvane-partial-";
// The temporary file of an atomic write: ".<target name>.orvane-tmp-<six characters mkstemp chose>".
inline constexpr std::string_view atomicWriteMarker = ".orvane-tmp-";
// The lock every backup, restore and recovery holds, beside the temporary folder.
inline constexpr std::string_view storeLock = "orvane.lock";

// "<prefix><a fresh UUID in capitals>".
std::filesystem::path fresh(std::string_view prefix);
// True for a name of exactly that form: `prefix`, then a UUID in capitals, and nothing after it.
bool isFresh(std::string_view name, std::string_view prefix);
} // namespace ownItemNames

} // namespace orvane
