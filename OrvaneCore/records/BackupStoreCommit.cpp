#include "records/BackupStore.h"

#include "model/OrvaneError.h"
#include "records/FileEvidence.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreTexts.h"

namespace orvane {

void BackupStore::swapAtomically(const std::filesystem::path& a, const std::filesystem::path& b) const
{
    // One exchange or nothing: a file system without it fails here, never falls back to two renames.
    try {
        m_files->swap(a, b);
    } catch (const std::system_error& error) {
        throw OrvaneError::io(restoreTexts::swapFailed(b, error));
    }
}

void BackupStore::moveExclusively(const std::filesystem::path& from, const std::filesystem::path& to) const
{
    try {
        m_files->moveNoReplace(from, to);
    } catch (const std::system_error& error) {
        throw OrvaneError::io(restoreTexts::moveFailed(to, error));
    }
}

void BackupStore::swapIntoPlace(const std::filesystem::path& stage, const std::filesystem::path& destination,
                                const QString& previousSHA256, std::int64_t previousByteCount) const
{
    swapAtomically(stage, destination);
    // The stage now holds what the destination held: the measured prior bytes, unless someone wrote
    // to the destination between its last measurement and the swap.
    if (holdsBytes(stage, previousSHA256, previousByteCount)) {
        restoreItems::removeQuietly(*m_files, stage); // the undo copy holds the same bytes
        return;
    }
    swapBackChanged(stage, destination);
}

void BackupStore::swapBackChanged(const std::filesystem::path& stage, const std::filesystem::path& destination) const
{
    try {
        swapAtomically(stage, destination);
    } catch (const OrvaneError&) {
        // The unexpected bytes stay, under a name no clean-up of stages ever takes.
        const std::filesystem::path preserved = stage.parent_path() / restoreItems::preservedName();
        try {
            m_files->moveNoReplace(stage, preserved);
        } catch (const std::system_error&) {
            throw OrvaneError::io(restoreTexts::changedDuringSwapKept(stage));
        }
        throw OrvaneError::io(restoreTexts::changedDuringSwapKept(preserved));
    }
    throw OrvaneError::io(restoreTexts::changedDuringSwapRolledBack);
}

} // namespace orvane
