#include "records/BackupStore.h"

#include "model/OrvaneError.h"
#include "platform/FolderDescriptorCache.h"
#include "platform/PathText.h"
#include "records/CheckedFolder.h"
#include "records/FileEvidence.h"
#include "records/RestoreCommitRecord.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreTexts.h"
#include "records/RestoreWorkspace.h"
#include "records/SnapshotCopyMismatch.h"

#include <QStringList>

#include <algorithm>
#include <map>
#include <set>
#include <system_error>

namespace orvane {

namespace {

using RecordedFile = RestoreCommitRecord::File;

// A created path the restore moved into an undo folder, as its record lists it.
struct SetAsideItem {
    std::filesystem::path aside; // in its undo folder
    std::filesystem::path original;
};

// One interrupted restore: its record and the undo folders holding it (kept ones too, when an earlier
// attempt could not undo it).
struct Interrupted {
    RestoreCommitRecord record;
    std::vector<std::filesystem::path> undoFolders;
    std::vector<RecordedFile> files; // from every undo folder's record
    std::vector<SetAsideItem> setAside; // the created paths the records list
    bool listsFiles = true;          // false when a record was written before records listed files
};

// Where a file is now, against what the record says it may be.
enum class FileState {
    untouched, // never replaced: an existing file is still its undo link's, with its prior bytes; a new one absent
    restored,  // holds the backed-up bytes
    prior,     // replaced, and holds its prior bytes again
    changed,   // neither: written since the restore was interrupted
};

const QLatin1String kCannotTell{"its backup can no longer be read, so Orvane cannot tell which files it replaced"};
const QLatin1String kOutsideRoots{"its record names files outside the instance, so Orvane will not put them back"};

// Where the undo folders keep the prior bytes of the file at `relativePath`, when it existed before that restore.
std::optional<std::filesystem::path> undoCopyOf(const QString& relativePath,
                                                const std::vector<std::filesystem::path>& undoFolders)
{
    for (const auto& folder : undoFolders) {
        const std::filesystem::path candidate = folder / pathFromText(relativePath);
        if (stampIfPossible(candidate))
            return candidate;
    }
    return std::nullopt;
}

bool sameFile(const std::optional<FileStamp>& a, const std::optional<FileStamp>& b)
{
    return a && b && a->device == b->device && a->inode == b->inode;
}

// Items the restore moved into an undo folder from paths the manifest does not name, other than `listed`.
bool holdsSetAsideItems(const std::filesystem::path& undoFolder, const std::vector<SetAsideItem>& listed = {})
{
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(undoFolder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (it->path().filename().native().rfind(".orvane-restore-created-", 0) == 0
            && std::none_of(listed.begin(), listed.end(), [&](const SetAsideItem& item) { return item.aside == it->path(); }))
            return true;
    }
    return false;
}

// A set-aside path that something occupies again: bytes written since, which nothing is put back over.
bool isOccupiedAgain(const SetAsideItem& item)
{
    return stampIfPossible(item.aside) && stampIfPossible(item.original);
}

// Moves each set-aside file still in its undo folder back to its path (last first), through its folder
// opened below the instance without links; returns one text per failure.
QStringList putSetAsideBack(FileOperations& files, const std::vector<SetAsideItem>& items,
                            const std::filesystem::path& instance)
{
    QStringList failures;
    const FolderDescriptorCache folders(instance);
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (!stampIfPossible(it->aside))
            continue; // never moved there, or back already
        if (auto failure = restoreItems::putBack(files, folders, it->aside, it->original))
            failures.push_back(std::move(*failure));
    }
    return failures;
}

bool isKept(const std::filesystem::path& folder)
{
    return folder.filename().native().rfind("orvane-restore-kept-", 0) == 0;
}

// A record written before records listed their files: the files are the manifest's, and the prior
// bytes those its undo links hold now.
std::vector<RecordedFile> filesOfManifest(const BackupManifest& manifest,
                                          const std::vector<std::filesystem::path>& undoFolders)
{
    std::vector<RecordedFile> files;
    for (const BackupFile& file : manifest.files) {
        RecordedFile recorded{file.relativePath, standardised(pathFromText(file.originalPath)), file.sha256,
                              file.byteCount, std::nullopt, std::nullopt};
        if (const auto undo = undoCopyOf(file.relativePath, undoFolders)) {
            if (const auto prior = measureIfPossible(*undo)) {
                recorded.priorSHA256 = prior->sha256;
                recorded.priorByteCount = std::int64_t(prior->byteCount);
            }
        }
        files.push_back(std::move(recorded));
    }
    return files;
}

FileState stateOf(const RecordedFile& file, const std::vector<std::filesystem::path>& undoFolders)
{
    const auto now = stampIfPossible(file.destination);
    const auto measured = now && now->regular ? measureIfPossible(file.destination) : std::nullopt;
    const bool holdsBackup = measured && matchesEvidence(*measured, file.sha256, file.byteCount);
    if (!file.existed()) {
        if (!now)
            return FileState::untouched;
        return holdsBackup ? FileState::restored : FileState::changed;
    }
    const bool holdsPrior = measured && matchesEvidence(*measured, *file.priorSHA256, *file.priorByteCount);
    const auto undo = undoCopyOf(file.relativePath, undoFolders);
    // Still its undo link's file: never swapped, but it may have been written in place since.
    if (undo && sameFile(now, stampIfPossible(*undo)))
        return holdsPrior ? FileState::untouched : FileState::changed;
    if (holdsPrior)
        return FileState::prior;
    return holdsBackup ? FileState::restored : FileState::changed;
}

// True once the restore replaced the file: an existing destination is no longer its undo link's file,
// or a new one is in place. Until then it is as it was, whatever was written to it since.
bool wasReplaced(const RecordedFile& file, const std::vector<std::filesystem::path>& undoFolders)
{
    const auto now = stampIfPossible(file.destination);
    if (!file.existed())
        return now.has_value();
    const auto undo = undoCopyOf(file.relativePath, undoFolders);
    return !undo || !sameFile(now, stampIfPossible(*undo));
}

// A world backup's files all lie below the saves folder; anything else is an overlay's.
BackupKind kindOf(const std::optional<ListedBackup>& backup, const std::vector<RecordedFile>& files)
{
    if (backup)
        return backup->manifest.kind;
    const bool world = std::all_of(files.begin(), files.end(), [](const RecordedFile& file) {
        return file.relativePath.startsWith(QLatin1String("saves/"));
    });
    return world ? BackupKind::saves : BackupKind::manual;
}

// Probes, stages and rollback copies beside the files, once the files hold what they should.
void removeLeftoversBeside(FileOperations& files, const std::vector<RecordedFile>& recorded,
                           const std::function<std::optional<CheckedFolder>(const std::filesystem::path&)>& open)
{
    std::set<std::pair<QString, std::uint64_t>> known;
    std::set<std::filesystem::path> folders;
    for (const RecordedFile& file : recorded) {
        known.emplace(file.sha256, std::uint64_t(file.byteCount));
        if (file.existed())
            known.emplace(*file.priorSHA256, std::uint64_t(*file.priorByteCount));
        folders.insert(file.destination.parent_path());
    }
    for (const auto& folder : folders) {
        const auto opened = open(folder);
        if (!opened)
            continue;
        restoreItems::removeLeftovers(files, *opened, [&](const CopiedFile& bytes) {
            return known.count({bytes.sha256, bytes.byteCount}) != 0;
        });
    }
}

// Puts back from the undo folders what the restore replaced (only files holding the backed-up bytes,
// and new files only while they hold them); returns one text per failure.
QStringList undoFromUndoFolders(const BackupStore& store, const std::vector<RecordedFile>& files,
                                const std::vector<FileState>& states,
                                const std::vector<std::filesystem::path>& undoFolders)
{
    QStringList failures;
    std::vector<PreparedRestoreFile> prepared;
    std::vector<std::size_t> replaced;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (states[i] != FileState::restored)
            continue; // never replaced, or put back already
        const RecordedFile& file = files[i];
        PreparedRestoreFile entry;
        entry.manifestFile = BackupFile{file.relativePath, pathText(file.destination), file.sha256, file.byteCount};
        entry.destination = file.destination;
        entry.existed = file.existed();
        if (entry.existed) {
            entry.undo = undoCopyOf(file.relativePath, undoFolders);
            if (!entry.undo) {
                failures.push_back(pathText(entry.destination) + QStringLiteral(": ") + restoreTexts::undoMissing);
                continue;
            }
            entry.previousSHA256 = file.priorSHA256;
            entry.previousByteCount = file.priorByteCount;
        }
        replaced.push_back(prepared.size());
        prepared.push_back(std::move(entry));
    }
    // Put back in the order they were replaced, last first.
    for (auto& failure : store.rollBack(prepared, replaced))
        failures.push_back(std::move(failure));
    return failures;
}

void removeRecords(FileOperations& files, const std::vector<std::filesystem::path>& undoFolders)
{
    for (const auto& folder : undoFolders)
        restoreItems::removeQuietly(files, RestoreCommitRecord::fileIn(folder));
}

// Renames each undo folder to a kept name no clean-up takes (a kept one stays as it is); its record
// stays only with `keepRecord`. Returns where the undo data now is.
std::vector<std::filesystem::path> keepUndoFolders(FileOperations& files,
                                                   const std::vector<std::filesystem::path>& undoFolders,
                                                   bool keepRecord)
{
    std::vector<std::filesystem::path> kept;
    for (const auto& folder : undoFolders) {
        std::filesystem::path now = folder;
        if (!isKept(folder)) {
            const std::filesystem::path name = folder.parent_path() / restoreItems::keptUndoFolderName();
            try {
                files.moveNoReplace(folder, name);
                now = name;
            } catch (const std::exception&) {
                // Kept under its own name, which no clean-up takes while it holds its record.
                if (!keepRecord) {
                    kept.push_back(folder);
                    continue;
                }
            }
        }
        if (!keepRecord)
            restoreItems::removeQuietly(files, RestoreCommitRecord::fileIn(now));
        kept.push_back(now);
    }
    return kept;
}

} // namespace

bool BackupStore::finishInterruptedRestores(const std::filesystem::path& instanceRoot,
                                            const std::optional<std::filesystem::path>& technicDataRoot)
{
    const std::filesystem::path store = standardised(std::filesystem::absolute(m_root));
    const std::filesystem::path instance = standardised(instanceRoot);
    const auto technic = technicDataRoot ? std::optional(standardised(*technicDataRoot)) : technicRoot(instance);

    std::vector<std::filesystem::path> places;
    if (!m_temporaryFolder.empty())
        places.push_back(standardised(m_temporaryFolder));
    places.push_back(RestoreWorkspace::hiddenFolder(instance));
    if (technic)
        places.push_back(RestoreWorkspace::hiddenFolder(*technic));
    for (const auto& journal : RestoreWorkspace::journalsIn(*m_files, m_root)) {
        for (const auto& folder : journal.folders) {
            if (folder.is_absolute() && isWithinRoots(folder, instance, technic))
                places.push_back(folder);
        }
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());

    // Only this store's restores onto this instance: another's undo data waits for its own store.
    std::map<QString, Interrupted> interrupted;
    for (const auto& place : places) {
        for (const auto& undo : RestoreWorkspace::recordedUndoFolders(place)) {
            const auto record = RestoreCommitRecord::readFrom(*m_files, undo);
            if (!record || standardised(record->store) != store || standardised(record->instanceRoot) != instance)
                continue;
            Interrupted& restore = interrupted[record->restore];
            restore.record = *record;
            restore.undoFolders.push_back(undo);
            if (record->files)
                restore.files.insert(restore.files.end(), record->files->begin(), record->files->end());
            else
                restore.listsFiles = false;
            for (const auto& item : record->setAside)
                restore.setAside.push_back(SetAsideItem{undo / item.name, item.original});
        }
    }

    const auto reachable = [&](const std::filesystem::path& folder) { return isWithinRoots(folder, instance, technic); };
    const auto openReachable = [&](const std::filesystem::path& folder) {
        return restoreItems::openWithinRoots(folder, instance, technic);
    };
    bool keptAsItIs = false;
    for (auto& entry : interrupted) {
        auto& restore = entry.second;
        std::optional<ListedBackup> backup;
        try {
            BackupManifest wanted;
            wanted.id = restore.record.backupId;
            backup = loadBackup(wanted);
        } catch (const OrvaneError&) {
            // Gone or unreadable: it is put back from the undo folders below.
        }

        // What the record covers, and only where a restore onto this instance could have written.
        QStringList failures;
        if (!restore.listsFiles) {
            restore.files.clear();
            try {
                if (!backup)
                    throw OrvaneError::backupMissing();
                planRestore(backup->manifest, backup->directory, restore.record.instanceRoot,
                            restore.record.technicRoot);
                restore.files = filesOfManifest(backup->manifest, restore.undoFolders);
            } catch (const OrvaneError&) {
                failures.push_back(kCannotTell);
            }
        } else if (!std::all_of(restore.files.begin(), restore.files.end(),
                                [&](const RecordedFile& file) { return reachable(file.destination.parent_path()); })
                   || !std::all_of(restore.setAside.begin(), restore.setAside.end(), [&](const SetAsideItem& item) {
                          return isWithinRoots(item.original.parent_path(), instance, std::nullopt);
                      })) {
            failures.push_back(kOutsideRoots);
        }
        if (!failures.isEmpty())
            throw OrvaneError::io(restoreTexts::interruptedRestoreKept(
                failures, keepUndoFolders(*m_files, restore.undoFolders, true)));

        const bool setAside = std::any_of(restore.undoFolders.begin(), restore.undoFolders.end(),
                                          [](const std::filesystem::path& folder) { return holdsSetAsideItems(folder); });
        if (!setAside && std::none_of(restore.files.begin(), restore.files.end(), [&](const RecordedFile& file) {
                return wasReplaced(file, restore.undoFolders);
            })) {
            removeRecords(*m_files, restore.undoFolders); // nothing to finish: the clean-up takes the rest
            continue;
        }
        std::vector<FileState> states;
        for (const RecordedFile& file : restore.files)
            states.push_back(stateOf(file, restore.undoFolders));
        const BackupKind kind = kindOf(backup, restore.files);

        // Bytes written since the interruption are never overwritten or deleted: the world stays as it
        // is, and what the restore replaced stays where the user is told.
        const auto keepAsItIs = [&] {
            removeLeftoversBeside(*m_files, restore.files, openReachable);
            const auto kept = keepUndoFolders(*m_files, restore.undoFolders, false);
            m_interruptedRestoreNotice = restoreTexts::interruptedRestoreKeptAsItIs(kind, kept);
            keptAsItIs = true;
        };
        if (std::find(states.begin(), states.end(), FileState::changed) != states.end()) {
            keepAsItIs();
            continue;
        }

        bool finished = false;
        if (backup) {
            try {
                verifySnapshot(backup->manifest, backup->directory, SnapshotCheck::sizes);
                planRestore(backup->manifest, backup->directory, restore.record.instanceRoot,
                            restore.record.technicRoot);
                runRestore(*backup, restore.record.instanceRoot, restore.record.technicRoot);
                finished = true;
            } catch (const SnapshotCopyMismatch&) {
                // A copy no longer holds its bytes: nothing was replaced by this run.
            } catch (const OrvaneError& error) {
                // Anything but a backup that no longer serves leaves everything for the next attempt.
                const auto errorKind = error.kind();
                if (errorKind != OrvaneError::Kind::backupCorrupt && errorKind != OrvaneError::Kind::backupMissing)
                    throw;
            }
        }
        if (!finished) {
            // Undone, a created path gets its file back: one made there since stays, and so does the world.
            if (std::any_of(restore.setAside.begin(), restore.setAside.end(), isOccupiedAgain)) {
                keepAsItIs();
                continue;
            }
            failures = putSetAsideBack(*m_files, restore.setAside, instance);
            for (auto& failure : undoFromUndoFolders(*this, restore.files, states, restore.undoFolders))
                failures.push_back(std::move(failure));
            std::vector<std::size_t> holding; // undo folders with set-aside files no record places
            for (std::size_t i = 0; i < restore.undoFolders.size(); ++i) {
                if (holdsSetAsideItems(restore.undoFolders[i], restore.setAside))
                    holding.push_back(i);
            }
            // The record stays: every later backup and restore of this instance refuses the same way
            // until the world is whole again, so a mixed world is never recorded.
            if (!failures.isEmpty() || !holding.empty()) {
                const auto kept = keepUndoFolders(*m_files, restore.undoFolders, true); // one per undo folder
                for (const std::size_t i : holding)
                    failures.push_back(pathText(kept[i]) + QStringLiteral(": holds files the restore had moved aside"));
                throw OrvaneError::io(restoreTexts::interruptedRestoreKept(failures, kept));
            }
        }

        // Every file holds either the backed-up bytes or its prior ones: the undo data has served.
        removeLeftoversBeside(*m_files, restore.files, openReachable);
        removeRecords(*m_files, restore.undoFolders);
        for (const auto& folder : restore.undoFolders) {
            // A kept folder was named to the user, who may still want what it holds: only its record goes.
            if (isKept(folder))
                continue;
            // Through the descriptor of the place it lies in (the private folder, or one reached from a
            // root without links): nothing outside it is followed.
            const std::filesystem::path place = folder.parent_path();
            std::optional<CheckedFolder> opened = openReachable(place);
            if (!opened && place == standardised(m_temporaryFolder)) {
                try {
                    opened = CheckedFolder::openOwn(place);
                } catch (const std::exception&) {
                }
            }
            if (opened)
                restoreItems::removeFolderAt(*m_files, opened->fd(), folder.filename(), folder);
        }
        m_interruptedRestoreNotice = finished ? restoreTexts::interruptedRestoreFinished(kind)
                                              : restoreTexts::interruptedRestoreUndone(kind);
    }
    return !keptAsItIs;
}

} // namespace orvane
