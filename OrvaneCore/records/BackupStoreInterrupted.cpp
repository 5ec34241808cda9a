#include "records/BackupStore.h"

#include "model/OrvaneError.h"
#include "platform/FolderDescriptorCache.h"
#include "platform/PathText.h"
#include "records/CheckedFolder.h"
#include "records/FileEvidence.h"
#include "records/InterruptedRestore.h"
#include "records/RestoreCommitRecord.h"
#include "records/RestoreRoots.h"
#include "records/RestoreSpace.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreTexts.h"
#include "records/RestoreWorkspace.h"
#include "records/SnapshotCopyMismatch.h"

#include <QStringList>

#include <algorithm>
#include <map>
#include <set>
#include <system_error>
#include <utility>

namespace orvane {

namespace {

using RecordedFile = RestoreCommitRecord::File;
using FileState = InterruptedRestore::FileState;
using SetAsideItem = InterruptedRestore::SetAsideItem;

const QLatin1String kCannotTell{"its backup can no longer be read, so Orvane cannot tell which files it replaced"};
const QLatin1String kOutsideRoots{"its record names files outside the instance, so Orvane will not put them back"};

// Opens the folders one interrupted restore worked in: its destination folders below its roots, and the
// places its undo folders lie in (found through the roots in hand, or the private folder).
class RecoveryFolders final {
public:
    RecoveryFolders(const RestoreRoots& recorded, const RestoreRoots& inHand, std::filesystem::path privateFolder)
        : m_recorded(recorded), m_inHand(inHand), m_private(std::move(privateFolder))
    {
    }

    // A folder at or below the recorded roots, reached from its root without a link.
    std::optional<CheckedFolder> below(const std::filesystem::path& folder) const
    {
        return restoreItems::openWithinRoots(folder, m_recorded.instance, m_recorded.technic);
    }

    // The folder an undo folder lies in: the private folder as the restore's own, or a folder reached
    // from a root without links.
    std::optional<CheckedFolder> place(const std::filesystem::path& folder) const
    {
        if (!m_private.empty() && folder == m_private) {
            try {
                return CheckedFolder::openOwn(folder);
            } catch (const std::exception&) {
                return std::nullopt;
            }
        }
        if (auto opened = restoreItems::openWithinRoots(folder, m_inHand.instance, m_inHand.technic))
            return opened;
        return below(folder);
    }

private:
    const RestoreRoots& m_recorded;
    const RestoreRoots& m_inHand;
    std::filesystem::path m_private;
};

// The bytes a stage, probe or rollback copy of the restore may hold: backed-up and prior bytes.
std::set<std::pair<QString, std::uint64_t>> knownBytes(const std::vector<RecordedFile>& recorded)
{
    std::set<std::pair<QString, std::uint64_t>> known;
    for (const RecordedFile& file : recorded) {
        known.emplace(file.sha256, std::uint64_t(file.byteCount));
        if (file.existed())
            known.emplace(*file.priorSHA256, std::uint64_t(*file.priorByteCount));
    }
    return known;
}

// Stages, probes and rollback copies the restore left in its work areas and beside its files: they
// hold only bytes its record knows, and the space they take may be what the rest of it needs.
void removeLeftovers(FileOperations& files, const InterruptedRestore& restore, const RecoveryFolders& open)
{
    const auto known = knownBytes(restore.files);
    const auto isKnown = [&](const CopiedFile& bytes) { return known.count({bytes.sha256, bytes.byteCount}) != 0; };
    std::set<std::filesystem::path> places;
    for (const auto& folder : restore.undoFolders)
        places.insert(folder.parent_path());
    for (const auto& place : places) {
        if (const auto opened = open.place(place))
            restoreItems::removeLeftovers(files, *opened, isKnown);
    }
    std::set<std::filesystem::path> folders;
    for (const RecordedFile& file : restore.files) {
        if (!places.count(file.destination.parent_path()))
            folders.insert(file.destination.parent_path());
    }
    for (const auto& folder : folders) {
        if (const auto opened = open.below(folder))
            restoreItems::removeLeftovers(files, *opened, isKnown);
    }
}

// Removes an undo folder with everything in it through the descriptor of the place it lies in:
// nothing outside it is followed.
void removeUndoFolder(FileOperations& files, const std::filesystem::path& folder, const RecoveryFolders& open)
{
    if (const auto place = open.place(folder.parent_path()))
        restoreItems::removeFolderAt(files, place->fd(), folder.filename(), folder);
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

// Puts back from the undo folders what the restore replaced (only files holding the backed-up bytes,
// and new files only while they hold them); returns one text per failure.
QStringList undoFromUndoFolders(const BackupStore& store, const InterruptedRestore& restore,
                                const std::vector<FileState>& states)
{
    QStringList failures;
    std::vector<PreparedRestoreFile> prepared;
    std::vector<std::size_t> replaced;
    for (std::size_t i = 0; i < restore.files.size(); ++i) {
        if (states[i] != FileState::restored)
            continue; // never replaced, or put back already
        const RecordedFile& file = restore.files[i];
        PreparedRestoreFile entry;
        entry.manifestFile = BackupFile{file.relativePath, pathText(file.destination), file.sha256, file.byteCount};
        entry.destination = file.destination;
        entry.existed = file.existed();
        if (entry.existed) {
            entry.undo = restore.undoCopyOf(file.relativePath);
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

// Renames each undo folder to a kept name no clean-up takes (a kept one stays as it is), with its
// record: until the world is whole again or the user removes it, every later backup of this instance
// refuses naming it. Returns where the undo data now is.
std::vector<std::filesystem::path> keepUndoFolders(FileOperations& files,
                                                   const std::vector<std::filesystem::path>& undoFolders)
{
    std::vector<std::filesystem::path> kept;
    for (const auto& folder : undoFolders) {
        if (isKeptUndoFolder(folder)) {
            kept.push_back(folder);
            continue;
        }
        const std::filesystem::path name = folder.parent_path() / restoreItems::keptUndoFolderName();
        try {
            files.moveNoReplace(folder, name);
            kept.push_back(name);
        } catch (const std::exception&) {
            kept.push_back(folder); // kept under its own name, which no clean-up takes while it holds its record
        }
    }
    return kept;
}

// The backup's manifest split into the files that still need it (a recovery stages only these) and
// those that hold its bytes already.
std::pair<BackupManifest, BackupManifest> splitByState(const BackupManifest& manifest, const InterruptedRestore& restore,
                                                       const std::vector<FileState>& states)
{
    std::set<std::string> restored;
    for (std::size_t i = 0; i < restore.files.size(); ++i) {
        if (states[i] == FileState::restored)
            restored.insert(restore.files[i].destination.native());
    }
    BackupManifest rest = manifest, done = manifest;
    rest.files.clear();
    done.files.clear();
    for (const BackupFile& file : manifest.files)
        (restored.count(standardisedText(file.originalPath)) ? done : rest).files.push_back(file);
    return {std::move(rest), std::move(done)};
}

} // namespace

BackupStore::Recovery BackupStore::finishInterruptedRestores(const std::filesystem::path& instanceRoot,
                                                             const std::optional<std::filesystem::path>& technicDataRoot,
                                                             Purpose purpose)
{
    const std::filesystem::path store = standardised(std::filesystem::absolute(m_root));
    const RestoreRoots inHand{standardised(instanceRoot),
                              technicDataRoot ? std::optional(standardised(*technicDataRoot))
                                              : technicRoot(standardised(instanceRoot))};
    const std::filesystem::path privateFolder = m_temporaryFolder.empty() ? std::filesystem::path()
                                                                          : standardised(m_temporaryFolder);

    // Where undo folders may lie: the work areas, and the destination folders journals name below the
    // roots of their own restore onto this instance.
    std::vector<std::filesystem::path> places;
    if (!privateFolder.empty())
        places.push_back(privateFolder);
    places.push_back(RestoreWorkspace::hiddenFolder(inHand.instance));
    if (inHand.technic)
        places.push_back(RestoreWorkspace::hiddenFolder(*inHand.technic));
    for (const auto& journal : RestoreWorkspace::journalsIn(*m_files, m_root)) {
        const std::optional<RestoreRoots> roots
            = journal.record ? rootsOf(*journal.record, store, inHand.instance, inHand.technic) : inHand;
        for (const auto& folder : journal.folders) {
            if (roots && folder.is_absolute() && isWithinRoots(folder, roots->instance, roots->technic))
                places.push_back(folder);
        }
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());

    // Only this store's restores onto this instance, however either is reached now: another's undo
    // data waits for its own store. A record that cannot be read may be anyone's: it stops everything.
    std::map<QString, InterruptedRestore> interrupted;
    std::vector<std::filesystem::path> unreadable;
    for (const auto& place : places) {
        for (const auto& undo : RestoreWorkspace::recordedUndoFolders(place)) {
            const auto found = RestoreCommitRecord::readFrom(*m_files, undo);
            if (found.state == FoundCommitRecord::State::absent)
                continue;
            const auto roots = found.record ? rootsOf(*found.record, store, inHand.instance, inHand.technic)
                                            : std::optional<RestoreRoots>();
            if (found.state == FoundCommitRecord::State::damaged) {
                if (!found.record || roots)
                    unreadable.push_back(undo);
                continue;
            }
            if (!roots)
                continue;
            InterruptedRestore& restore = interrupted[found.record->restore];
            restore.record = *found.record;
            restore.roots = *roots;
            restore.folders.push_back(InterruptedRestore::UndoFolder{undo, *found.record});
        }
    }
    if (!unreadable.empty())
        throw OrvaneError::io(restoreTexts::interruptedRestoreUnreadable(unreadable));

    Recovery recovery;
    for (auto& entry : interrupted) {
        InterruptedRestore& restore = entry.second;
        const RecoveryFolders open(restore.roots, inHand, privateFolder);
        const RestoreRoots& roots = restore.roots;
        // A kept folder the user emptied counts as removed: so the world is kept as it is.
        std::erase_if(restore.folders, [&](const InterruptedRestore::UndoFolder& folder) {
            if (!wasEmptied(folder))
                return false;
            restoreItems::removeQuietly(*m_files, RestoreCommitRecord::fileIn(folder.path));
            removeEmptyFolders(folder.path);
            return true;
        });
        if (restore.folders.empty())
            continue;
        restore.gather();
        const bool told = restore.keptBefore();

        std::optional<ListedBackup> backup;
        try {
            BackupManifest wanted;
            wanted.id = restore.record.backupId;
            backup = loadBackup(wanted);
        } catch (const OrvaneError&) {
            // Gone or unreadable: it is put back from the undo folders below.
        }
        const BackupKind kind = restore.kind(backup);

        // Kept for now: a restore may replace the world over it (the way out each refusal names); every
        // other operation is refused, naming what is true now, the kept folders and the ways out.
        const auto keep = [&](const QStringList& failures, const std::vector<std::filesystem::path>& undo) {
            const auto kept = keepUndoFolders(*m_files, undo);
            if (told && purpose == Purpose::restore) {
                recovery.keptBefore.insert(recovery.keptBefore.end(), kept.begin(), kept.end());
                return;
            }
            throw OrvaneError::io(restoreTexts::interruptedRestoreKept(kind, failures, kept));
        };
        // Bytes written since the interruption are never overwritten or deleted: the world stays as it
        // is, and what the restore replaced stays where the user is told, its record with it. The first
        // operation to find it says so; a later backup refuses until a restore or the user ends it.
        const auto keepAsItIs = [&] {
            const auto kept = keepUndoFolders(*m_files, restore.undoFolders);
            if (!told) {
                m_interruptedRestoreNotice = restoreTexts::interruptedRestoreKeptAsItIs(kind, kept);
                recovery.keptNow = true;
            } else if (purpose == Purpose::restore) {
                recovery.keptBefore.insert(recovery.keptBefore.end(), kept.begin(), kept.end());
            } else {
                throw OrvaneError::io(restoreTexts::interruptedRestoreStillKeptAsItIs(kind, kept));
            }
        };

        // What the record covers, and only where a restore onto this instance could have written.
        if (!restore.listsFiles) {
            restore.files.clear();
            try {
                if (!backup)
                    throw OrvaneError::backupMissing();
                planRestore(backup->manifest, backup->directory, roots.instance, roots.technic);
                restore.files = filesOfManifest(backup->manifest, restore);
            } catch (const OrvaneError&) {
                keep({kCannotTell}, restore.undoFolders);
                continue;
            }
        }
        if (!restore.liesWithinRoots()) {
            keep({kOutsideRoots}, restore.undoFolders);
            continue;
        }
        if (const auto link = restore.linkOnTheWay()) {
            keep({restoreTexts::interruptedRestoreThroughLink(*link)}, restore.undoFolders);
            continue;
        }

        // What the interrupted run left and no longer needs goes first: its stages may take the space
        // the rest of it needs.
        removeLeftovers(*m_files, restore, open);
        const bool setAside = std::any_of(restore.undoFolders.begin(), restore.undoFolders.end(),
                                          [&](const std::filesystem::path& folder) {
                                              return restore.holdsSetAside(folder, InterruptedRestore::SetAsideItems::any);
                                          });
        const bool replacedAny = std::any_of(restore.files.begin(), restore.files.end(),
                                             [&](const RecordedFile& file) { return restore.wasReplaced(file); });
        std::vector<FileState> states;
        for (const RecordedFile& file : restore.files)
            states.push_back(setAside || replacedAny ? restore.stateOf(file) : FileState::untouched);
        if (std::find(states.begin(), states.end(), FileState::changed) != states.end()) {
            keepAsItIs();
            continue;
        }

        // Nothing replaced: nothing to finish, and only the clean-up is left.
        bool finished = !setAside && !replacedAny;
        if (backup && !finished) {
            try {
                verifySnapshot(backup->manifest, backup->directory, SnapshotCheck::sizes);
                planRestore(backup->manifest, backup->directory, roots.instance, roots.technic);
                // Files holding the backed-up bytes are not staged again, yet the backup must still hold
                // them; and the space the rest takes is there before anything is changed.
                const auto [rest, done] = splitByState(backup->manifest, restore, states);
                if (!done.files.empty())
                    verifySnapshot(done, backup->directory, SnapshotCheck::digests);
                RestoreSpace space(*m_files, RestoreSpace::Use::together);
                for (const BackupFile& file : rest.files)
                    space.add(standardised(pathFromText(file.originalPath)), std::uint64_t(std::max<std::int64_t>(file.byteCount, 0)));
                space.require(roots, kind, true);
                if (!rest.files.empty() || !rest.createdPaths.empty())
                    runRestore(ListedBackup{rest, backup->directory}, roots.instance, roots.technic);
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
            // A rollback copy of one file at a time is made beside it.
            RestoreSpace space(*m_files, RestoreSpace::Use::oneAtATime);
            for (std::size_t i = 0; i < restore.files.size(); ++i) {
                const RecordedFile& file = restore.files[i];
                if (states[i] == FileState::restored && file.existed())
                    space.add(file.destination, std::uint64_t(std::max<std::int64_t>(*file.priorByteCount, 0)));
            }
            space.require(roots, kind, false);
            QStringList failures = putSetAsideBack(*m_files, restore.setAside, roots.instance);
            for (auto& failure : undoFromUndoFolders(*this, restore, states))
                failures.push_back(std::move(failure));
            std::vector<std::size_t> holding; // undo folders with set-aside files no record places
            for (std::size_t i = 0; i < restore.undoFolders.size(); ++i) {
                if (restore.holdsSetAside(restore.undoFolders[i], InterruptedRestore::SetAsideItems::unlisted))
                    holding.push_back(i);
            }
            // The record stays: every later backup of this instance refuses the same way until the
            // world is whole again, so a mixed world is never recorded.
            if (!failures.isEmpty() || !holding.empty()) {
                const auto kept = keepUndoFolders(*m_files, restore.undoFolders); // one per undo folder
                for (const std::size_t i : holding)
                    failures.push_back(pathText(kept[i]) + QStringLiteral(": holds files the restore had moved aside"));
                keep(failures, kept);
                continue;
            }
        }

        // Every file holds either the backed-up bytes or its prior ones: the undo data has served.
        removeLeftovers(*m_files, restore, open);
        std::vector<std::filesystem::path> kept;
        for (const auto& folder : restore.undoFolders)
            restoreItems::removeQuietly(*m_files, RestoreCommitRecord::fileIn(folder));
        for (const auto& folder : restore.undoFolders) {
            if (isKeptUndoFolder(folder))
                kept.push_back(folder);
            else
                removeUndoFolder(*m_files, folder, open);
        }
        releaseKeptRestores(kept);
        if (setAside || replacedAny)
            m_interruptedRestoreNotice = finished ? restoreTexts::interruptedRestoreFinished(kind)
                                                  : restoreTexts::interruptedRestoreUndone(kind);
    }
    return recovery;
}

void BackupStore::releaseKeptRestores(const std::vector<std::filesystem::path>& undoFolders) const
{
    for (const auto& folder : undoFolders) {
        restoreItems::removeQuietly(*m_files, RestoreCommitRecord::fileIn(folder));
        // Named to the user, who may still want what it holds: it goes only when nothing is left in it.
        removeEmptyFolders(folder);
    }
}

} // namespace orvane
