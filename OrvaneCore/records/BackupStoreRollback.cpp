#include "records/BackupStore.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/FileEvidence.h"
#include "platform/RegularFile.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreTexts.h"

namespace orvane {

namespace {

void rollBackFile(const BackupStore& store, const PreparedRestoreFile& file)
{
    FileOperations& files = *store.fileOperations();
    const BackupFile& record = file.manifestFile;
    const std::filesystem::path& destination = file.destination;

    // It must still hold what the restore put there; anything else is someone's newer bytes.
    if (!matchesEvidence(measureRegularFile(destination), record.sha256, record.byteCount))
        throw OrvaneError::io(restoreTexts::changedAfterRestore);
    if (!file.existed) {
        store.preserveUnexpectedBytes(file);
        return;
    }
    if (!file.undo || !file.previousSHA256 || !file.previousByteCount)
        throw OrvaneError::io(restoreTexts::undoMissing);
    const QString& priorSHA256 = *file.previousSHA256;
    const std::int64_t priorCount = *file.previousByteCount;

    // Beside the destination, so that the swap stays in one folder.
    const std::filesystem::path rollback = destination.parent_path() / restoreItems::rollbackName();
    files.cloneOrCopy(*file.undo, rollback, true);
    if (!holdsBytes(rollback, priorSHA256, priorCount)) {
        restoreItems::removeQuietly(files, rollback);
        throw OrvaneError::io(restoreTexts::undoFailedVerification);
    }
    try {
        store.swapAtomically(rollback, destination);
    } catch (...) {
        restoreItems::removeQuietly(files, rollback);
        throw;
    }
    // The rollback copy now holds what the destination held until the swap.
    if (!holdsBytes(rollback, record.sha256, record.byteCount)) {
        try {
            store.swapAtomically(rollback, destination);
        } catch (const OrvaneError&) {
            throw OrvaneError::io(restoreTexts::rollbackCouldNotSwapBack(rollback));
        }
        restoreItems::removeIfHolding(files, rollback, priorSHA256, priorCount);
        throw OrvaneError::io(restoreTexts::changedDuringRollback);
    }
    if (!holdsBytes(destination, priorSHA256, priorCount)) {
        try {
            store.swapAtomically(rollback, destination);
        } catch (const OrvaneError&) {
            throw OrvaneError::io(restoreTexts::undoNotInstalled(rollback));
        }
        throw OrvaneError::io(restoreTexts::rolledBackBytesChanged(rollback));
    }
    restoreItems::removeIfHolding(files, rollback, record.sha256, record.byteCount);
}

} // namespace

std::vector<QString> BackupStore::rollBack(const std::vector<PreparedRestoreFile>& prepared,
                                           const std::vector<std::size_t>& committed) const
{
    std::vector<QString> failures;
    for (auto it = committed.rbegin(); it != committed.rend(); ++it) {
        const PreparedRestoreFile& file = prepared.at(*it);
        const QString where = pathText(file.destination) + QStringLiteral(": ");
        try {
            if (m_restoreCheckpoint)
                m_restoreCheckpoint(
                    RestoreCheckpoint{RestoreCheckpoint::Kind::beforeRollback, std::int64_t(*it), file.destination});
            rollBackFile(*this, file);
        } catch (const std::exception& error) {
            failures.push_back(where + describe(error));
        } catch (...) {
            failures.push_back(where + QStringLiteral("An unexpected error stopped the rollback of this file."));
        }
    }
    return failures;
}

void BackupStore::preserveUnexpectedBytes(const PreparedRestoreFile& file) const
{
    const std::filesystem::path& destination = file.destination;
    const std::filesystem::path preserved = destination.parent_path() / restoreItems::preservedName();
    moveExclusively(destination, preserved);
    if (holdsBytes(preserved, file.manifestFile.sha256, file.manifestFile.byteCount)) {
        m_files->removeFile(preserved); // exactly the restored bytes, which the backup still holds
        return;
    }
    try {
        moveExclusively(preserved, destination);
    } catch (const OrvaneError&) {
        throw OrvaneError::io(restoreTexts::rollbackPreserved(preserved));
    }
    throw OrvaneError::io(restoreTexts::changedDuringRollback);
}

} // namespace orvane
