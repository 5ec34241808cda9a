#pragma once

#include "platform/FileOperations.h"
#include "records/PreparedRestoreFile.h"
#include "records/RestoreCheckpoint.h"

#include <QString>

#include <cstddef>
#include <vector>

namespace orvane {

// Undoing replaced files, file by file: what a failed restore (RestoreRun) and the undo of an
// interrupted one (RestoreRecovery) both do (the protocol is at the top of RestoreRun.h).
// Each file's folder is opened afresh below its root without links, and every look, move and swap of
// the file goes through that descriptor and the file's own name, never by path again.
namespace restoreRollback {

// Puts the committed files (indices into `prepared`) back, last first, each from its undo file; a
// file that does not hold what the restore put there is left as it is. Calls `checkpoint` (when set)
// before each file. Returns one text per failure, "<destination>: <why>".
std::vector<QString> rollBack(FileOperations& files, const RestoreCheckpointHook& checkpoint,
                              const std::vector<PreparedRestoreFile>& prepared,
                              const std::vector<std::size_t>& committed);

// Rolls back a file that did not exist before the restore: moves it aside and deletes it only when
// it holds exactly the restored bytes; anything else is moved back, or kept aside and named.
void preserveUnexpectedBytes(FileOperations& files, const PreparedRestoreFile& file);

} // namespace restoreRollback

} // namespace orvane
