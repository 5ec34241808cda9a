#pragma once

#include "model/BackupKind.h"
#include "model/BackupManifest.h"
#include "records/ListedBackup.h"
#include "records/RestoreCommitRecord.h"
#include "records/RestoreRoots.h"
#include "records/RestoreTemporaryItems.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

// One restore that was interrupted while it replaced files, as the records in its undo folders tell
// it (kept ones too, when an earlier attempt could not finish or undo it), and what its files hold now.
struct InterruptedRestore {
    // An undo folder of the restore and the record it holds: the files whose stages or undo files lie
    // in its work area.
    struct UndoFolder {
        std::filesystem::path path;
        RestoreCommitRecord record;
    };
    // Where a file is now, against what the record says it may be.
    enum class FileState {
        untouched, // never replaced: an existing file is still the prior file, with its prior bytes; a new one absent
        restored,  // holds the backed-up bytes
        prior,     // replaced, and holds its prior bytes again
        changed,   // neither: written since the restore was interrupted
        // absent, its prior bytes in the undo folder: cut off between the moves that stand in for an
        // exchange where the file system has none
        movedAside,
    };

    RestoreCommitRecord record; // which backup, from where, onto what: the same in each undo folder
    RestoreRoots roots;         // as the record spells them
    std::vector<UndoFolder> folders;

    // Gathered from the folders' records by gather().
    std::vector<std::filesystem::path> undoFolders;
    std::vector<RestoreCommitRecord::File> files;
    std::vector<SetAsideFile> setAside; // created paths moved into the undo folders, as the records list them
    bool listsFiles = true; // false when a record was written before records listed files

    void gather();
    // Told to the user already: an earlier operation kept it under a kept name.
    bool keptBefore() const;

    // The undo file that keeps the prior bytes of the file at `relativePath`, when it existed before.
    std::optional<std::filesystem::path> undoFileOf(const QString& relativePath) const;
    FileState stateOf(const RestoreCommitRecord::File& file) const;
    // True once the restore replaced the file: an existing destination is no longer the prior file,
    // or a new one is in place. Until then it is as it was, whatever was written to it since.
    bool wasReplaced(const RestoreCommitRecord::File& file) const;
    // True once the restore replaced any file or moved any created path aside.
    bool touchedAny() const;
    // A world backup's files all lie below the saves folder; anything else is an overlay's.
    BackupKind kind(const std::optional<ListedBackup>& backup) const;
    // Whether `undoFolder` holds items the restore moved there from paths the manifest does not name:
    // any, or only those its records do not list.
    enum class SetAsideItems { any, unlisted };
    bool holdsSetAside(const std::filesystem::path& undoFolder, SetAsideItems which) const;
    // A folder on the way from its root to a recorded file or created path that is a link now; nothing
    // when every one lies below the roots without a link.
    std::optional<std::filesystem::path> linkOnTheWay() const;
    // True when every recorded file and created path lies at or below the roots (as text).
    bool liesWithinRoots() const;
};

// Removes `folder` when nothing but folders is left in it: folder by folder, deepest first, each only
// while it is empty, so a file put there meanwhile stays (and so do the folders holding it).
void removeEmptyFolders(const std::filesystem::path& folder);

// True when nothing but folders and its commit record is left in an undo folder.
bool holdsOnlyItsRecord(const std::filesystem::path& undoFolder);

// A kept undo folder whose record lists undo data (prior bytes, set-aside files) and that holds none
// of it any more, nor any other file: emptied by the user, whose file manager left the hidden record
// behind. It counts as removed.
bool wasEmptied(const InterruptedRestore::UndoFolder& folder);

// A record written before records listed their files: the files are the manifest's, and the prior
// bytes those the undo files in `undoFolders` hold now.
std::vector<RestoreCommitRecord::File> filesOfManifest(const BackupManifest& manifest,
                                                       const InterruptedRestore& restore);

// A set-aside path that something occupies again: bytes written since, which nothing is put back over.
bool isOccupiedAgain(const SetAsideFile& item);

} // namespace orvane
