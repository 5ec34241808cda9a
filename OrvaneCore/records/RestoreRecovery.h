#pragma once

#include "model/BackupKind.h"
#include "platform/FileOperations.h"
#include "records/InterruptedRestore.h"
#include "records/ListedBackup.h"
#include "records/RecoveryOutcome.h"
#include "records/RestoreRoots.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <map>
#include <optional>
#include <vector>

namespace orvane {

class BackupReader;

// Runs to their end the restores of one store onto one instance that were interrupted while they
// replaced files, before that store's next backup or restore. For each, in the order a reader asks:
// find it (from the commit records in its undo folders), decide what each of its files holds now,
// then finish it (staging only the files that do not hold the backed-up bytes yet), or where its
// backup is gone or no longer verifies undo it from its undo folders, or else keep it as it is.
//
// Bytes written since the interruption are never overwritten or deleted: such a restore is kept, its
// undo folders renamed to kept names with their records, and the first operation to find it says so.
// What the interrupted run left and no longer needs goes first, and the free space still needed is
// checked before anything is changed. The undo folders go only once every file holds the backed-up or
// its prior bytes. Used once; the caller holds the store's lock.
class RestoreRecovery final {
public:
    using Purpose = RecoveryPurpose;
    using Outcome = RecoveryOutcome;

    // `notice` is the store's sentence for the status, set when a restore is finished, undone or kept
    // as it is just now (and left as it was otherwise).
    RestoreRecovery(const BackupReader& store, const std::filesystem::path& instanceRoot,
                    const std::optional<std::filesystem::path>& technicDataRoot, Purpose purpose,
                    std::optional<QString>& notice);

    // Throws, keeping everything and the records, when a restore can be neither finished nor undone
    // for now; for a backup, also when a restore kept earlier is still kept; and for both when an undo
    // folder's record cannot be read.
    Outcome run();

private:
    struct Attempt; // one interrupted restore while it is recovered

    // --- Finding ---
    std::map<QString, InterruptedRestore> find() const;
    std::vector<std::filesystem::path> undoFolderPlaces() const;

    // --- Deciding ---
    void recover(InterruptedRestore& restore);
    bool knowsItsFiles(Attempt& attempt);
    std::vector<InterruptedRestore::FileState> statesOf(const InterruptedRestore& restore, bool touched) const;

    // --- Finishing, undoing or keeping ---
    bool finish(const Attempt& attempt, const std::vector<InterruptedRestore::FileState>& states);
    bool undo(const Attempt& attempt, const std::vector<InterruptedRestore::FileState>& states);
    QStringList undoFromUndoFolders(const InterruptedRestore& restore,
                                    const std::vector<InterruptedRestore::FileState>& states) const;
    void keep(const Attempt& attempt, const QStringList& failures, const std::vector<std::filesystem::path>& undo);
    void keepAsItIs(const Attempt& attempt);
    void end(const Attempt& attempt, bool finished);

    const BackupReader& m_store;
    FileOperations& m_files;
    const std::filesystem::path m_storeFolder; // absolute and standardised, as records name it
    const RestoreRoots m_inHand;               // the roots of the operation in hand
    const std::filesystem::path m_private;     // the store's private work folder; empty when it has none
    const Purpose m_purpose;
    std::optional<QString>& m_notice;
    Outcome m_outcome;
};

// After a restore over restores kept earlier: their records go, and a kept folder left with nothing
// else goes with its record.
void releaseKeptRestores(FileOperations& files, const std::vector<std::filesystem::path>& undoFolders);

} // namespace orvane
