#include "records/RestoreRollback.h"

#include "model/OrvaneError.h"
#include "platform/FolderDescriptorCache.h"
#include "platform/PathText.h"
#include "records/BackupStoreTexts.h"
#include "records/CheckedFolder.h"
#include "records/ExchangeByMoves.h"
#include "records/FileEvidence.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreTexts.h"

#include <cerrno>

namespace orvane {

namespace {

// The destination's folder, opened afresh below its root without links: the rollback acts through it.
CheckedFolder destinationFolder(const PreparedRestoreFile& file)
{
    const FolderDescriptorCache folders(file.root());
    return CheckedFolder::open(folders, file.destination.parent_path(), restoreTexts::destinationBecameLink);
}

void swapIn(FileOperations& files, const CheckedFolder& folder, const std::filesystem::path& a,
            const std::filesystem::path& b)
{
    try {
        exchangeAt(files, folder.item(a), folder.item(b));
    } catch (const std::system_error& error) {
        throw OrvaneError::io(restoreTexts::swapFailed(folder.path() / b, error));
    }
}

void moveIn(FileOperations& files, const FolderItem& from, const FolderItem& to)
{
    try {
        files.moveNoReplaceAt(from, to);
    } catch (const std::system_error& error) {
        throw OrvaneError::io(restoreTexts::moveFailed(to.path, error));
    }
}

void preserveIn(FileOperations& files, const CheckedFolder& folder, const PreparedRestoreFile& file)
{
    const std::filesystem::path name = file.destination.filename();
    const std::filesystem::path preserved = restoreItems::preservedName();
    moveIn(files, folder.item(name), folder.item(preserved));
    if (folder.holds(preserved, file.manifestFile.sha256, file.manifestFile.byteCount)) {
        files.removeFileAt(folder.item(preserved)); // exactly the restored bytes, which the backup still holds
        return;
    }
    try {
        moveIn(files, folder.item(preserved), folder.item(name));
    } catch (const OrvaneError&) {
        throw OrvaneError::io(restoreTexts::rollbackPreserved(folder.path() / preserved));
    }
    throw OrvaneError::io(restoreTexts::changedDuringRollback);
}

// Copies the undo file beside itself (the destination's file system), then moves the copy beside the
// destination through its folder, where it must hold the prior bytes: returns its name there.
std::filesystem::path rollbackCopy(FileOperations& files, const CheckedFolder& folder, const PreparedRestoreFile& file)
{
    if (!file.undo || !file.priorSHA256 || !file.priorByteCount)
        throw OrvaneError::io(restoreTexts::undoMissing);
    const std::filesystem::path rollbackName = restoreItems::rollbackName();
    const std::filesystem::path copy = file.undo->parent_path() / rollbackName;
    files.cloneOrCopy(*file.undo, copy, true);
    try {
        moveIn(files, FolderItem{AT_FDCWD, copy, copy}, folder.item(rollbackName));
    } catch (...) {
        restoreItems::removeQuietly(files, copy);
        throw;
    }
    if (!folder.holds(rollbackName, *file.priorSHA256, *file.priorByteCount)) {
        folder.removeQuietly(files, rollbackName);
        throw OrvaneError::io(restoreTexts::undoFailedVerification);
    }
    return rollbackName;
}

// Cut off between the moves that stand in for an exchange: the prior file was moved aside and nothing
// took its place. It comes back from the undo file, without replacing anything.
void bringPriorFileBack(FileOperations& files, const CheckedFolder& folder, const PreparedRestoreFile& file)
{
    const std::filesystem::path rollbackName = rollbackCopy(files, folder, file);
    moveIn(files, folder.item(rollbackName), folder.item(file.destination.filename()));
}

// The rollback copy (`rollbackName`) came out of the swap holding something other than what the restore
// put there: someone wrote to the file meanwhile. Their bytes are swapped back in place.
[[noreturn]] void swapChangedBytesBack(FileOperations& files, const CheckedFolder& folder,
                                       const PreparedRestoreFile& file, const std::filesystem::path& rollbackName)
{
    try {
        swapIn(files, folder, rollbackName, file.destination.filename());
    } catch (const OrvaneError&) {
        throw OrvaneError::io(restoreTexts::rollbackCouldNotSwapBack(folder.path() / rollbackName));
    }
    if (folder.holds(rollbackName, *file.priorSHA256, *file.priorByteCount))
        folder.removeQuietly(files, rollbackName);
    throw OrvaneError::io(restoreTexts::changedDuringRollback);
}

// What was swapped in no longer holds the prior bytes: the restored bytes go back in place, and the
// rollback copy stays, named.
[[noreturn]] void swapRestoredBytesBack(FileOperations& files, const CheckedFolder& folder,
                                        const PreparedRestoreFile& file, const std::filesystem::path& rollbackName)
{
    const std::filesystem::path rollback = folder.path() / rollbackName;
    try {
        swapIn(files, folder, rollbackName, file.destination.filename());
    } catch (const OrvaneError&) {
        throw OrvaneError::io(restoreTexts::undoNotInstalled(rollback));
    }
    throw OrvaneError::io(restoreTexts::rolledBackBytesChanged(rollback));
}

// Swaps a copy of the undo file in for the destination, in its own folder (nothing is made through a
// link), then checks both sides of the swap.
void swapPriorBytesBack(FileOperations& files, const CheckedFolder& folder, const PreparedRestoreFile& file)
{
    const BackupFile& record = file.manifestFile;
    const std::filesystem::path name = file.destination.filename();
    const std::filesystem::path rollbackName = rollbackCopy(files, folder, file);
    try {
        swapIn(files, folder, rollbackName, name);
    } catch (...) {
        folder.removeQuietly(files, rollbackName);
        throw;
    }
    // The rollback copy now holds what the destination held until the swap.
    if (!folder.holds(rollbackName, record.sha256, record.byteCount))
        swapChangedBytesBack(files, folder, file, rollbackName);
    if (!folder.holds(name, *file.priorSHA256, *file.priorByteCount))
        swapRestoredBytesBack(files, folder, file, rollbackName);
    if (folder.holds(rollbackName, record.sha256, record.byteCount))
        folder.removeQuietly(files, rollbackName);
}

void rollBackFile(FileOperations& files, const PreparedRestoreFile& file)
{
    const BackupFile& record = file.manifestFile;
    const CheckedFolder folder = destinationFolder(file);
    const std::filesystem::path name = file.destination.filename();
    if (file.existed && folder.look(name).error == ENOENT) {
        bringPriorFileBack(files, folder, file);
        return;
    }
    // It must still hold what the restore put there; anything else is someone's newer bytes.
    if (!folder.holds(name, record.sha256, record.byteCount))
        throw OrvaneError::io(restoreTexts::changedAfterRestore);
    if (file.existed)
        swapPriorBytesBack(files, folder, file);
    else
        preserveIn(files, folder, file);
}

} // namespace

namespace restoreRollback {

std::vector<QString> rollBack(FileOperations& files, const RestoreCheckpointHook& checkpoint,
                              const std::vector<PreparedRestoreFile>& prepared,
                              const std::vector<std::size_t>& committed)
{
    std::vector<QString> failures;
    for (auto it = committed.rbegin(); it != committed.rend(); ++it) {
        const PreparedRestoreFile& file = prepared.at(*it);
        const QString where = pathText(file.destination) + QStringLiteral(": ");
        try {
            if (checkpoint)
                checkpoint(RestoreCheckpoint{RestoreCheckpoint::Kind::beforeRollback, std::int64_t(*it), file.destination});
            rollBackFile(files, file);
        } catch (const std::exception& error) {
            failures.push_back(where + describe(error));
        } catch (...) {
            failures.push_back(where + QStringLiteral("An unexpected error stopped the rollback of this file."));
        }
    }
    return failures;
}

void preserveUnexpectedBytes(FileOperations& files, const PreparedRestoreFile& file)
{
    preserveIn(files, destinationFolder(file), file);
}

} // namespace restoreRollback

} // namespace orvane
