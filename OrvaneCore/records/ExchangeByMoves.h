#pragma once

#include "platform/FileOperations.h"

#include <filesystem>
#include <system_error>

namespace orvane {

// True when a file system refuses an atomic exchange as such (FAT, exFAT and NTFS answer EINVAL;
// some network and FUSE file systems EOPNOTSUPP or ENOSYS): nothing was changed.
bool exchangeRefused(const std::system_error& error);

// True when a file system or the kernel refuses a second name for a file as such (no hard links on
// FAT and exFAT, protected hard links for another user's file): nothing was changed.
bool hardLinkRefused(const std::system_error& error);

// Exchanges the two existing items `a` and `b` as FileOperations::swapAt does; where the file system
// refuses an exchange, with three exclusive moves instead: `b` to `spare` (a free name in a's folder),
// `a` to `b`, `spare` to `a`. Never replaces anything. In between `b` is absent, its bytes under
// `spare`: the caller's undo file (which holds b's bytes) and its commit record make that as safe
// against an interruption as the exchange. A failure of the moves is undone by moving back; when that
// fails too, OrvaneError::io says where b's bytes are. Other failures throw std::system_error.
void exchangeAt(FileOperations& files, const FolderItem& a, const FolderItem& b, const FolderItem& spare);
// The same with a fresh rollback-copy name beside `a` as the spare: what an interrupted run leaves
// under it holds only bytes its record knows, which the next recovery removes.
void exchangeAt(FileOperations& files, const FolderItem& a, const FolderItem& b);

} // namespace orvane
