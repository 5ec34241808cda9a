#pragma once

#include "platform/FileOperations.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace orvane {

// Names of the items a restore makes, each "<prefix><fresh upper-case UUID>".
namespace restoreItems {
std::filesystem::path undoFolderName();   // orvane-restore-undo-<UUID>: prior bytes of existing destinations
std::filesystem::path stageName();        // .orvane-restore-stage-<UUID>: backed-up bytes waiting for their rename
std::filesystem::path rollbackName();     // .orvane-restore-rollback-<UUID>: prior bytes waiting to be swapped back
std::filesystem::path preservedName();    // .orvane-restore-preserved-<UUID>: bytes moved aside by a rollback
std::filesystem::path setAsideName();     // .orvane-restore-created-<UUID>: a created path moved into the undo folder
std::filesystem::path keptUndoFolderName(); // orvane-restore-kept-<UUID>: an undo folder kept after a failed rollback
std::filesystem::path journalName();      // .orvane-restore-areas-<UUID>: the destination folders a restore works in
std::filesystem::path probeName();        // .orvane-restore-probe-<UUID>: a link that tests a rename's reach, at once removed

// True for the name of anything a restore makes (the items above, the hidden work folder, the commit
// record and its temporary file): never a world file of its own.
bool isItemName(std::string_view name);

// Removes from `folder` (which the caller reached without a link) the regular files an interrupted
// restore left there: probes, which only ever hold backed-up bytes, and stages and rollback copies whose
// bytes `known` accepts (such a copy may hold bytes that changed while it was in use, which stay).
// Never a link, a folder or preserved bytes; what cannot be removed is left for the next time.
void removeLeftovers(FileOperations& files, const std::filesystem::path& folder,
                     const std::function<bool(const CopiedFile&)>& known) noexcept;

// Removes a temporary item; a failure leaves it and is not reported.
void removeQuietly(FileOperations& files, const std::filesystem::path& path);
// The same, and only while the item holds exactly these bytes: anything else in it is kept.
void removeIfHolding(FileOperations& files, const std::filesystem::path& path, const QString& sha256,
                     std::int64_t byteCount);
} // namespace restoreItems

} // namespace orvane
