#include "records/RestoreRecovery.h"

#include "model/OrvaneError.h"
#include "platform/FolderDescriptorCache.h"
#include "platform/PathText.h"
#include "records/BackupReader.h"
#include "records/CheckedFolder.h"
#include "records/FileEvidence.h"
#include "records/RestoreCommitRecord.h"
#include "records/RestoreRollback.h"
#include "records/RestoreRun.h"
#include "records/RestoreSpace.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreTexts.h"
#include "records/RestoreWorkspace.h"
#include "records/SnapshotCopyMismatch.h"

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <utility>

namespace orvane {

namespace {

using RecordedFile = RestoreCommitRecord::File;
using FileState = InterruptedRestore::FileState;

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
void removeItemsLeftBy(FileOperations& files, const InterruptedRestore& restore, const RecoveryFolders& open)
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
QStringList putSetAsideBack(FileOperations& files, const std::vector<SetAsideFile>& items,
                            const std::filesystem::path& instance)
{
    QStringList failures;
    const FolderDescriptorCache folders(instance);
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        if (!stampIfPossible(it->aside))
            continue; // never moved there, or back already
        if (auto failure = restoreItems::putBack(files, folders, *it))
            failures.push_back(std::move(*failure));
    }
    return failures;
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

// Renames each undo folder to a kept name no clean-up takes (a kept one stays as it is); returns where
// the undo data now is, one path per folder.
std::vector<std::filesystem::path> renameToKept(FileOperations& files,
                                                const std::vector<std::filesystem::path>& undoFolders)
{
    std::vector<std::filesystem::path> kept;
    for (const auto& folder : undoFolders)
        kept.push_back(restoreItems::keepUndoFolder(files, folder));
    return kept;
}

} // namespace

struct RestoreRecovery::Attempt {
    InterruptedRestore& restore;
    RecoveryFolders open;
    bool told = false;    // an earlier operation kept it under a kept name, and said so
    bool touched = false; // it replaced a file or set a created path aside before it stopped
    std::optional<ListedBackup> backup; // gone or unreadable: it can only be undone
    BackupKind kind = BackupKind::saves;
};

RestoreRecovery::RestoreRecovery(const BackupReader& store, const std::filesystem::path& instanceRoot,
                                 const std::optional<std::filesystem::path>& technicDataRoot, Purpose purpose,
                                 std::optional<QString>& notice)
    : m_store(store)
    , m_files(*store.fileOperations())
    , m_storeFolder(standardised(std::filesystem::absolute(store.root())))
    , m_inHand{standardised(instanceRoot), technicDataRoot ? std::optional(standardised(*technicDataRoot))
                                                           : BackupReader::technicRoot(standardised(instanceRoot))}
    , m_private(store.temporaryFolder().empty() ? std::filesystem::path() : standardised(store.temporaryFolder()))
    , m_purpose(purpose)
    , m_notice(notice)
{
}

RestoreRecovery::Outcome RestoreRecovery::run()
{
    for (auto& entry : find())
        recover(entry.second);
    return m_outcome;
}

// --- Finding ---

// Only this store's restores onto this instance, however either is reached now: another's undo data
// waits for its own store. A record that cannot be read may be anyone's: it stops everything.
std::map<QString, InterruptedRestore> RestoreRecovery::find() const
{
    std::map<QString, InterruptedRestore> interrupted;
    std::vector<std::filesystem::path> unreadable;
    for (const auto& place : undoFolderPlaces()) {
        for (const auto& undo : RestoreWorkspace::recordedUndoFolders(place)) {
            const auto found = RestoreCommitRecord::readFrom(m_files, undo);
            if (found.state == FoundCommitRecord::State::absent)
                continue;
            const auto roots = found.record ? rootsOf(*found.record, m_storeFolder, m_inHand.instance, m_inHand.technic)
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
    return interrupted;
}

// Where undo folders may lie: the work areas, and the destination folders journals name below the
// roots of their own restore onto this instance.
std::vector<std::filesystem::path> RestoreRecovery::undoFolderPlaces() const
{
    std::vector<std::filesystem::path> places;
    if (!m_private.empty())
        places.push_back(m_private);
    places.push_back(RestoreWorkspace::hiddenFolder(m_inHand.instance));
    if (m_inHand.technic)
        places.push_back(RestoreWorkspace::hiddenFolder(*m_inHand.technic));
    for (const auto& journal : RestoreWorkspace::journalsIn(m_files, m_store.root())) {
        const std::optional<RestoreRoots> roots
            = journal.record ? rootsOf(*journal.record, m_storeFolder, m_inHand.instance, m_inHand.technic) : m_inHand;
        for (const auto& folder : journal.folders) {
            if (roots && folder.is_absolute() && isWithinRoots(folder, *roots))
                places.push_back(folder);
        }
    }
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    return places;
}

// --- Deciding ---

void RestoreRecovery::recover(InterruptedRestore& restore)
{
    // A kept folder the user emptied counts as removed: so the world is kept as it is.
    std::erase_if(restore.folders, [&](const InterruptedRestore::UndoFolder& folder) {
        if (!wasEmptied(folder))
            return false;
        restoreItems::removeQuietly(m_files, RestoreCommitRecord::fileIn(folder.path));
        removeEmptyFolders(folder.path);
        return true;
    });
    if (restore.folders.empty())
        return;
    restore.gather();
    Attempt attempt{restore, RecoveryFolders(restore.roots, m_inHand, m_private), restore.keptBefore(), false, {}, {}};
    try {
        BackupManifest wanted;
        wanted.id = restore.record.backupId;
        attempt.backup = m_store.loadBackup(wanted);
    } catch (const OrvaneError&) {
        // Gone or unreadable: it is put back from the undo folders.
    }
    attempt.kind = restore.kind(attempt.backup);
    if (!knowsItsFiles(attempt))
        return;

    // What the interrupted run left and no longer needs goes first: its stages may take the space the
    // rest of it needs.
    removeItemsLeftBy(m_files, restore, attempt.open);
    attempt.touched = restore.touchedAny();
    const std::vector<FileState> states = statesOf(restore, attempt.touched);
    if (std::find(states.begin(), states.end(), FileState::changed) != states.end()) {
        keepAsItIs(attempt);
        return;
    }
    // Nothing replaced: nothing to finish, and only the clean-up is left.
    bool finished = !attempt.touched;
    if (attempt.backup && !finished)
        finished = finish(attempt, states);
    if (!finished && !undo(attempt, states))
        return;
    end(attempt, finished);
}

// What the record covers, and only where a restore onto this instance could have written; a restore
// whose files cannot be told, or lie outside its roots or through a link, is kept.
bool RestoreRecovery::knowsItsFiles(Attempt& attempt)
{
    InterruptedRestore& restore = attempt.restore;
    if (!restore.listsFiles) {
        restore.files.clear();
        try {
            if (!attempt.backup)
                throw OrvaneError::backupMissing();
            const ListedBackup& backup = *attempt.backup;
            m_store.planRestore(backup.manifest, backup.directory, restore.roots.instance, restore.roots.technic);
            restore.files = filesOfManifest(backup.manifest, restore);
        } catch (const OrvaneError&) {
            keep(attempt, {kCannotTell}, restore.undoFolders);
            return false;
        }
    }
    if (!restore.liesWithinRoots()) {
        keep(attempt, {kOutsideRoots}, restore.undoFolders);
        return false;
    }
    if (const auto link = restore.linkOnTheWay()) {
        keep(attempt, {restoreTexts::interruptedRestoreThroughLink(*link)}, restore.undoFolders);
        return false;
    }
    return true;
}

// What each recorded file holds now; all untouched when the restore never replaced or set aside anything.
std::vector<InterruptedRestore::FileState> RestoreRecovery::statesOf(const InterruptedRestore& restore,
                                                                     bool touched) const
{
    std::vector<FileState> states;
    for (const RecordedFile& file : restore.files)
        states.push_back(touched ? restore.stateOf(file) : FileState::untouched);
    return states;
}

// --- Finishing, undoing or keeping ---

// Runs the restore to its end from its backup; false when the backup no longer serves (nothing was
// replaced then). Anything else leaves everything for the next attempt, and throws.
bool RestoreRecovery::finish(const Attempt& attempt, const std::vector<FileState>& states)
{
    const ListedBackup& backup = *attempt.backup;
    const RestoreRoots& roots = attempt.restore.roots;
    try {
        m_store.verifySnapshot(backup.manifest, backup.directory, BackupReader::SnapshotCheck::sizes);
        m_store.planRestore(backup.manifest, backup.directory, roots.instance, roots.technic);
        // Files holding the backed-up bytes are not staged again, yet the backup must still hold them;
        // and the space the rest takes is there before anything is changed.
        const auto [rest, done] = splitByState(backup.manifest, attempt.restore, states);
        if (!done.files.empty())
            m_store.verifySnapshot(done, backup.directory, BackupReader::SnapshotCheck::digests);
        RestoreSpace space(m_files, RestoreSpace::Use::together);
        for (const BackupFile& file : rest.files)
            space.add(standardised(pathFromText(file.originalPath)), std::uint64_t(std::max<std::int64_t>(file.byteCount, 0)));
        space.require(roots, attempt.kind, true);
        if (!rest.files.empty() || !rest.createdPaths.empty())
            RestoreRun(m_store, ListedBackup{rest, backup.directory}, roots.instance, roots.technic).run();
        return true;
    } catch (const SnapshotCopyMismatch&) {
        return false; // a copy no longer holds its bytes: nothing was replaced by this run
    } catch (const OrvaneError& error) {
        const auto kind = error.kind();
        if (kind != OrvaneError::Kind::backupCorrupt && kind != OrvaneError::Kind::backupMissing)
            throw;
        return false;
    }
}

// Puts back from the undo folders what the restore replaced or set aside; false when the restore is
// kept instead. Undone, a created path gets its file back: one made there since stays, and so does
// the world.
bool RestoreRecovery::undo(const Attempt& attempt, const std::vector<FileState>& states)
{
    const InterruptedRestore& restore = attempt.restore;
    if (std::any_of(restore.setAside.begin(), restore.setAside.end(), isOccupiedAgain)) {
        keepAsItIs(attempt);
        return false;
    }
    // A rollback copy of one file at a time is made beside it.
    RestoreSpace space(m_files, RestoreSpace::Use::oneAtATime);
    for (std::size_t i = 0; i < restore.files.size(); ++i) {
        const RecordedFile& file = restore.files[i];
        if ((states[i] == FileState::restored || states[i] == FileState::movedAside) && file.existed())
            space.add(file.destination, std::uint64_t(std::max<std::int64_t>(*file.priorByteCount, 0)));
    }
    space.require(restore.roots, attempt.kind, false);
    QStringList failures = putSetAsideBack(m_files, restore.setAside, restore.roots.instance);
    failures.append(undoFromUndoFolders(restore, states));
    std::vector<std::size_t> holding; // undo folders with set-aside files no record places
    for (std::size_t i = 0; i < restore.undoFolders.size(); ++i) {
        if (restore.holdsSetAside(restore.undoFolders[i], InterruptedRestore::SetAsideItems::unlisted))
            holding.push_back(i);
    }
    if (failures.isEmpty() && holding.empty())
        return true;
    // The record stays: every later backup of this instance refuses the same way until the world is
    // whole again, so a mixed world is never recorded.
    const auto kept = renameToKept(m_files, restore.undoFolders); // one per undo folder
    for (const std::size_t i : holding)
        failures.push_back(pathText(kept[i]) + QStringLiteral(": holds files the restore had moved aside"));
    keep(attempt, failures, kept);
    return false;
}

// Puts back from the undo folders what the restore replaced (only files holding the backed-up bytes,
// and new files only while they hold them), last first; returns one text per failure.
QStringList RestoreRecovery::undoFromUndoFolders(const InterruptedRestore& restore,
                                                 const std::vector<FileState>& states) const
{
    QStringList failures;
    std::vector<PreparedRestoreFile> prepared;
    std::vector<std::size_t> replaced;
    for (std::size_t i = 0; i < restore.files.size(); ++i) {
        if (states[i] != FileState::restored && states[i] != FileState::movedAside)
            continue; // never replaced, or put back already
        const RecordedFile& file = restore.files[i];
        PreparedRestoreFile entry;
        entry.manifestFile = BackupFile{file.relativePath, pathText(file.destination), file.sha256, file.byteCount};
        entry.destination = file.destination;
        entry.existed = file.existed();
        if (entry.existed) {
            entry.undo = restore.undoFileOf(file.relativePath);
            if (!entry.undo) {
                failures.push_back(pathText(entry.destination) + QStringLiteral(": ") + restoreTexts::undoMissing);
                continue;
            }
            entry.priorSHA256 = file.priorSHA256;
            entry.priorByteCount = file.priorByteCount;
        }
        replaced.push_back(prepared.size());
        prepared.push_back(std::move(entry));
    }
    for (auto& failure : restoreRollback::rollBack(m_files, m_store.restoreCheckpoint(), prepared, replaced))
        failures.push_back(std::move(failure));
    return failures;
}

// Kept for now, with its record: a restore may replace the world over it (the way out each refusal
// names); every other operation is refused, naming what is true now, the kept folders and the ways out.
void RestoreRecovery::keep(const Attempt& attempt, const QStringList& failures,
                           const std::vector<std::filesystem::path>& undo)
{
    const auto kept = renameToKept(m_files, undo);
    if (attempt.told && m_purpose == Purpose::restore) {
        m_outcome.keptBefore.insert(m_outcome.keptBefore.end(), kept.begin(), kept.end());
        return;
    }
    // Said only of what is true now: a folder the user emptied holds only the record.
    std::vector<std::filesystem::path> recordOnly;
    std::copy_if(kept.begin(), kept.end(), std::back_inserter(recordOnly), holdsOnlyItsRecord);
    throw OrvaneError::io(restoreTexts::interruptedRestoreKept(attempt.kind, failures, kept, recordOnly));
}

// Bytes written since the interruption are never overwritten or deleted: the world stays as it is, and
// what the restore replaced stays where the user is told, its record with it. The first operation to
// find it says so; a later backup refuses until a restore or the user ends it.
void RestoreRecovery::keepAsItIs(const Attempt& attempt)
{
    const auto kept = renameToKept(m_files, attempt.restore.undoFolders);
    if (!attempt.told) {
        m_notice = restoreTexts::interruptedRestoreKeptAsItIs(attempt.kind, kept);
        m_outcome.keptNow = true;
    } else if (m_purpose == Purpose::restore) {
        m_outcome.keptBefore.insert(m_outcome.keptBefore.end(), kept.begin(), kept.end());
    } else {
        throw OrvaneError::io(restoreTexts::interruptedRestoreStillKeptAsItIs(attempt.kind, kept));
    }
}

// Every file holds either the backed-up bytes or its prior ones: the undo data has served.
void RestoreRecovery::end(const Attempt& attempt, bool finished)
{
    const InterruptedRestore& restore = attempt.restore;
    removeItemsLeftBy(m_files, restore, attempt.open);
    std::vector<std::filesystem::path> kept;
    for (const auto& folder : restore.undoFolders)
        restoreItems::removeQuietly(m_files, RestoreCommitRecord::fileIn(folder));
    for (const auto& folder : restore.undoFolders) {
        if (restoreItems::isKeptUndoFolder(folder))
            kept.push_back(folder);
        else
            removeUndoFolder(m_files, folder, attempt.open);
    }
    releaseKeptRestores(m_files, kept);
    if (attempt.touched)
        m_notice = finished ? restoreTexts::interruptedRestoreFinished(attempt.kind)
                            : restoreTexts::interruptedRestoreUndone(attempt.kind);
}

void releaseKeptRestores(FileOperations& files, const std::vector<std::filesystem::path>& undoFolders)
{
    for (const auto& folder : undoFolders) {
        restoreItems::removeQuietly(files, RestoreCommitRecord::fileIn(folder));
        // Named to the user, who may still want what it holds: it goes only when nothing is left in it.
        removeEmptyFolders(folder);
    }
}

} // namespace orvane
