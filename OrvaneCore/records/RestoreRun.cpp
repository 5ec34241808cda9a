#include "records/RestoreRun.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "records/BackupReader.h"
#include "records/BackupStoreTexts.h"
#include "records/ExchangeByMoves.h"
#include "records/OutOfOpenFiles.h"
#include "records/RestoreRollback.h"
#include "records/RestoreTexts.h"
#include "records/SnapshotCopyMismatch.h"

#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

QString describeError(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return describe(e);
    } catch (...) {
        return QStringLiteral("An unexpected error stopped the restore.");
    }
}

// Whether an item of any type is where the look ended; a failure other than absence throws.
bool itemFound(const FolderDescriptorCache::Look& look, const std::filesystem::path& destination)
{
    if (look.error == 0)
        return true;
    if (look.error == ENOENT || look.error == ENOTDIR)
        return false;
    throwSystemError(look.error, "stat", destination);
}

} // namespace

RestoreRun::RestoreRun(const BackupReader& store, const ListedBackup& backup, const std::filesystem::path& instanceRoot,
                       const std::optional<std::filesystem::path>& technicRoot)
    : m_store(store)
    , m_files(*store.fileOperations())
    , m_manifest(backup.manifest)
    , m_instance(standardised(instanceRoot))
    , m_folders(backup.directory, m_instance, technicRoot ? std::optional(standardised(*technicRoot)) : std::nullopt)
    , m_workspace(m_files, store.temporaryFolder(), RestoreWorkspace::journalIn(store.root()),
                  RestoreCommitRecord{QUuid::createUuid().toString(QUuid::WithoutBraces),
                                      standardised(std::filesystem::absolute(store.root())), m_manifest.id, m_instance,
                                      m_folders.technicRoot(), std::nullopt, {}})
{
}

RestoreResult RestoreRun::run()
{
    try {
        stage();
        // From here on the undo folders hold what the next operation needs to finish this restore.
        m_workspace.beginCommit();
        // One flush for all stages, undo files and records, before the first swap.
        m_workspace.syncFileSystems();
    } catch (...) {
        cleanUp(false); // nothing was replaced
        throw;
    }
    m_replacing = true;

    RestoreResult result;
    try {
        commit();
        // Bounds before any created path is touched: nothing is deleted for a manifest that is refused.
        const std::uint64_t total = BackupReader::checkByteBounds(m_manifest);
        removeCreatedPaths();
        result.backupId = m_manifest.id;
        result.restoredFiles = m_restored;
        result.deletedCreatedFiles = m_deleted;
        result.verification = RestoreVerification{m_manifest.kind, std::int64_t(m_manifest.files.size()), total,
                                                  QStringLiteral("SHA-256")};
    } catch (...) {
        rollBack(std::current_exception());
    }
    cleanUp(false);
    return result;
}

void RestoreRun::hook(RestoreCheckpoint::Kind kind, std::size_t index, const std::filesystem::path& destination) const
{
    if (m_store.restoreCheckpoint())
        m_store.restoreCheckpoint()(RestoreCheckpoint{kind, std::int64_t(index), destination});
}

// --- Staging ---

void RestoreRun::stage()
{
    m_prepared.reserve(m_manifest.files.size());
    m_stamps.reserve(m_manifest.files.size());
    for (const BackupFile& record : m_manifest.files)
        stageOne(record);
}

void RestoreRun::stageOne(const BackupFile& record)
{
    const std::filesystem::path source = m_folders.sourceOf(record);
    m_prepared.push_back(prepare(record, standardised(pathFromText(record.originalPath))));
    m_stamps.emplace_back();
    PreparedRestoreFile& file = m_prepared.back();

    CopiedFile copied;
    RestoreWorkspace::Area* served = nullptr;
    try {
        served = &stageFile(file, record, source, copied);
    } catch (const std::system_error& error) {
        rethrowIfOutOfOpenFiles(error, source);
        throw;
    }
    checkStagedCopy(file, record, copied);
    if (file.existed)
        measurePriorBytes(file, record);
    if (m_sharedBefore)
        noteSharedFile(m_prepared.size() - 1, *m_sharedBefore);
    // Its area's commit record lists it: undone from there even without the backup.
    served->files.push_back(RestoreCommitRecord::File{record.relativePath, file.destination, record.sha256,
                                                     record.byteCount, file.priorSHA256, file.priorByteCount,
                                                     std::nullopt});
    if (file.undoCopied)
        served->files.back().priorFile = std::pair(m_stamps.back().prior.device, m_stamps.back().prior.inode);
}

// The file as it is found at its destination, whose missing folders are made now: never through a
// link that turned up since the plan. A folder found missing is looked at again for the next file,
// once it has been made.
PreparedRestoreFile RestoreRun::prepare(const BackupFile& record, const std::filesystem::path& destination)
{
    const auto look = m_folders.lookAtDestination(record, destination);
    const std::filesystem::path folder = destination.parent_path();
    // Made once: a folder removed later fails its files' links or moves, which roll back.
    // Files come folder by folder, so the last file's folder needs no look-up.
    if (folder.native() != m_lastMadeFolder.native()) {
        if (m_madeFolders.insert(folder).second)
            m_files.createDirectories(folder);
        m_lastMadeFolder = folder;
    }

    PreparedRestoreFile prepared;
    prepared.manifestFile = record;
    prepared.destination = destination;
    prepared.existed = itemFound(look, destination);
    // Only a regular file is replaced: a folder, FIFO, socket or device there is refused by name.
    if (prepared.existed && !S_ISREG(look.item.st_mode))
        throw OrvaneError::io(restoreTexts::destinationNotRegular(destination));
    // A file with other names (a world copied with links, or deduplicated): this restore's own links
    // and renames of any of them move its change time, which is then no sign of someone else's write.
    m_sharedBefore.reset();
    if (prepared.existed && look.item.st_nlink > 1)
        m_sharedBefore = stampOf(look.item);
    return prepared;
}

// Stages the copy of `record` (and makes an existing destination's undo file in the undo folder) in the
// work area that serves its folder, and returns that area.
RestoreWorkspace::Area& RestoreRun::stageFile(PreparedRestoreFile& file, const BackupFile& record,
                                              const std::filesystem::path& source, CopiedFile& copied)
{
    const std::filesystem::path& destination = file.destination;
    const std::filesystem::path folder = destination.parent_path();
    return m_workspace.run(folder, file.root(), [&](RestoreWorkspace::Area& area) {
        if (file.existed) {
            const std::filesystem::path undo = area.undoFolder / pathFromText(record.relativePath);
            m_workspace.makeUndoFolders(area, undo.parent_path());
            keepPriorBytes(file, record, undo);
            m_undoFiles.emplace_back(&area, undo);
            file.undo = undo;
        }
        const std::filesystem::path staged = area.folder / restoreItems::stageName();
        copied = m_files.cloneOrCopy(source, staged, false);
        file.staged = staged;
        // A linked prior file showed that this area shares the destination's mount; otherwise a rename does.
        if ((!file.existed || file.undoCopied) && m_probedFolders.insert(folder).second)
            probeRename(file, folder);
    });
}

// The one read of the snapshot copy is its check against the manifest.
void RestoreRun::checkStagedCopy(const PreparedRestoreFile& file, const BackupFile& record, const CopiedFile& copied)
{
    if (record.byteCount < 0 || copied.byteCount != std::uint64_t(record.byteCount))
        throw SnapshotCopyMismatch(OrvaneError::backupCorrupt(backupTexts::byteCountMismatch(record.relativePath)));
    if (copied.sha256 != record.sha256)
        throw SnapshotCopyMismatch(OrvaneError::backupCorrupt(backupTexts::hashMismatch(record.relativePath)));
    const auto stageStamp = stampIfPossible(file.staged);
    if (!stageStamp || !stageStamp->regular || stageStamp->size != copied.byteCount)
        throw OrvaneError::restoreHashMismatch(pathText(file.staged));
    m_stamps.back().stage = *stageStamp;
}

// --- Commit ---

void RestoreRun::commit()
{
    for (std::size_t i = 0; i < m_prepared.size(); ++i)
        commitOne(i);
}

void RestoreRun::commitOne(std::size_t index)
{
    PreparedRestoreFile& file = m_prepared[index];
    hook(RestoreCheckpoint::Kind::beforeCommit, index, file.destination);
    // A folder swapped for a link after it was staged into is seen here, before any swap; the changes
    // then act through this very folder.
    const CheckedFolder folder = m_folders.openDestinationFolder(file.manifestFile, file.destination);
    checkDestinationUnchanged(index, folder);
    hook(RestoreCheckpoint::Kind::beforeAtomicCommit, index, file.destination);
    // The stage must still be the verified copy: written to, replaced or even touched since, it is not
    // put in place.
    const CheckedFolder& stageFolder = m_folders.stageFolderOf(file, folder);
    const std::filesystem::path stageName = file.staged.filename();
    if (stageFolder.stamp(stageName) != std::optional(m_stamps[index].stage))
        throw OrvaneError::io(restoreTexts::stageChanged);

    const FolderItem destination = folder.item(file.destination.filename());
    if (file.existed) {
        swapIntoPlace(stageFolder.item(stageName), destination, m_stamps[index].prior, stageFolder);
        stageFolder.removeQuietly(m_files, stageName); // its undo file keeps the prior bytes
        afterOwnChangeOf(index);
    } else {
        moveExclusively(stageFolder.item(stageName), destination);
    }
    file.staged.clear(); // its name holds no stage any more
    checkCommitted(index, folder, stageFolder, stageName);
    m_committed.push_back(index);
    m_restored.push_back(file.manifestFile.originalPath);
}

// Rewritten, replaced, removed or even touched since it was measured: all the same, a change. A new
// file's place must still be free.
void RestoreRun::checkDestinationUnchanged(std::size_t index, const CheckedFolder& folder)
{
    const PreparedRestoreFile& file = m_prepared[index];
    const auto look = folder.look(file.destination.filename());
    if (look.throughLink)
        throw OrvaneError::backupCorrupt(restoreTexts::destinationBecameLink);
    if (isOutOfOpenFiles(look.error))
        throw outOfOpenFiles(file.destination);
    if (file.existed) {
        if (look.error != 0 || stampOf(look.item) != m_stamps[index].prior)
            throw OrvaneError::io(restoreTexts::changedWhileRestoring);
    } else if (itemFound(look, file.destination)) {
        throw OrvaneError::io(restoreTexts::appearedWhileRestoring);
    }
}

// The destination's name now reaches the staged copy, whose bytes were checked as they were written;
// a folder on the way that was replaced since it was opened shows here.
void RestoreRun::checkCommitted(std::size_t index, const CheckedFolder& folder, const CheckedFolder& stageFolder,
                                const std::filesystem::path& stageName)
{
    PreparedRestoreFile& file = m_prepared[index];
    const auto now = stampIfPossible(file.destination);
    if (now && now->sameContent(m_stamps[index].stage))
        return;
    const std::filesystem::path name = file.destination.filename();
    const auto inFolder = folder.stamp(name);
    if (inFolder && inFolder->sameContent(m_stamps[index].stage)
        && undoThrough(file, stageFolder, stageName, folder.item(name)))
        throw OrvaneError::backupCorrupt(restoreTexts::destinationBecameLink);
    m_committed.push_back(index);
    throw OrvaneError::restoreHashMismatch(pathText(file.destination));
}

// Swaps the stage into place; what comes out must be the file measured while staging and right before
// the swap, unchanged (its undo file then holds its bytes). Otherwise it is swapped back, or kept
// under a preserved name when that fails.
void RestoreRun::swapIntoPlace(const FolderItem& stage, const FolderItem& destination, const FileStamp& prior,
                               const CheckedFolder& stageFolder)
{
    swapAtomically(stage, destination);
    const auto after = stageFolder.stamp(stage.name);
    if (after && after->sameContent(prior))
        return;
    try {
        swapAtomically(stage, destination);
    } catch (const OrvaneError&) {
        // The unexpected bytes stay, under a name no clean-up of stages ever takes.
        const std::filesystem::path preserved = restoreItems::preservedName();
        try {
            m_files.moveNoReplaceAt(stage, stageFolder.item(preserved));
        } catch (const std::system_error&) {
            throw OrvaneError::io(restoreTexts::changedDuringSwapKept(stage.path));
        }
        throw OrvaneError::io(restoreTexts::changedDuringSwapKept(stageFolder.path() / preserved));
    }
    throw OrvaneError::io(restoreTexts::changedDuringSwapRolledBack);
}

void RestoreRun::swapAtomically(const FolderItem& a, const FolderItem& b)
{
    // One exchange, or where the file system has none, exclusive moves whose every step the undo
    // data and the commit record cover.
    try {
        exchangeAt(m_files, a, b);
    } catch (const std::system_error& error) {
        throw OrvaneError::io(restoreTexts::swapFailed(b.path, error));
    }
}

void RestoreRun::moveExclusively(const FolderItem& from, const FolderItem& to)
{
    try {
        m_files.moveNoReplaceAt(from, to);
    } catch (const std::system_error& error) {
        throw OrvaneError::io(restoreTexts::moveFailed(to.path, error));
    }
}

// Undoes a file's change through the descriptors it was made through, when its folder no longer lies
// at its path: the restored copy goes back to a stage name (which the clean-up removes) and the prior
// file, from its undo file, back in place.
bool RestoreRun::undoThrough(PreparedRestoreFile& file, const CheckedFolder& stageFolder,
                             const std::filesystem::path& stageName, const FolderItem& destination)
{
    try {
        if (file.existed) {
            const std::filesystem::path prior = restoreItems::stageName();
            m_files.hardLinkAt(FolderItem{AT_FDCWD, *file.undo, *file.undo}, stageFolder.item(prior));
            m_files.swapAt(stageFolder.item(prior), destination);
            file.staged = stageFolder.path() / prior;
        } else {
            m_files.moveNoReplaceAt(destination, stageFolder.item(stageName));
            file.staged = stageFolder.path() / stageName;
        }
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// --- Rollback and clean-up ---

// Puts every committed file and set-aside path back, then rethrows what stopped the commit; when
// anything could not be put back, the undo folders stay and the error says where.
void RestoreRun::rollBack(const std::exception_ptr& stopping)
{
    QStringList failures = putCreatedPathsBack();
    for (auto& failure : restoreRollback::rollBack(m_files, m_store.restoreCheckpoint(), m_prepared, m_committed))
        failures.push_back(std::move(failure));
    if (failures.isEmpty()) {
        cleanUp(false);
        std::rethrow_exception(stopping);
    }
    // The undo folders may hold the only copy of the files as they were: they stay, named so that no
    // later clean-up takes them for the leftovers of an interrupted restore.
    cleanUp(true);
    throw OrvaneError::io(restoreTexts::doubleFailure(describeError(stopping), failures, keepUndoFolders()));
}

// Gives each undo folder in use its kept name; returns where the prior bytes are. A folder holding the
// commit record keeps it: until the world is whole again, every later backup and restore of this
// instance refuses naming it, so that this mixed world is never recorded.
std::vector<std::filesystem::path> RestoreRun::keepUndoFolders()
{
    std::vector<std::filesystem::path> kept;
    for (RestoreWorkspace::Area* area : m_workspace.areas()) {
        if (!area->undoMade)
            continue;
        const std::filesystem::path name = restoreItems::keepUndoFolder(m_files, area->undoFolder);
        // One made while staging that never served holds nothing: it is not kept at all.
        if (area->recorded || name == area->undoFolder || ::rmdir(name.c_str()) != 0)
            kept.push_back(name);
    }
    return kept;
}

// Stages that are still the copies this restore made go; a stage holding anything else stays. The undo
// folders go only when `keepUndo` is false, and only the items this restore put there: anything else in
// them keeps them.
void RestoreRun::cleanUp(bool keepUndo) noexcept
{
    try {
        removeOwnStages();
        if (keepUndo) {
            m_workspace.finish();
            return;
        }
        // Every file holds the backed-up bytes or its prior ones: once that is on disk, the undo data
        // is no longer needed. Unflushed, the records stay for the next operation to end the restore.
        if (m_replacing)
            m_workspace.syncFileSystems();
        m_workspace.endCommit();
        removeUndoData();
        m_workspace.finish();
    } catch (...) {
        // Clean-up never hides the outcome.
    }
}

void RestoreRun::removeOwnStages()
{
    for (std::size_t i = 0; i < m_prepared.size(); ++i) {
        const auto& staged = m_prepared[i].staged;
        if (staged.empty())
            continue;
        const auto now = stampIfPossible(staged);
        if (now && i < m_stamps.size() && (m_stamps[i].stage.inode == 0 || now->sameContent(m_stamps[i].stage)))
            restoreItems::removeQuietly(m_files, staged);
    }
}

// The undo files, folder by folder as they were made, each folder opened from its work area without
// links (removing the links frees the prior files); then the set-aside files and the emptied undo folders.
void RestoreRun::removeUndoData()
{
    m_folders.closeUndoFolder();
    std::vector<FolderFiles> byFolder;
    for (const auto& [area, undo] : m_undoFiles) {
        const std::string_view folder = folderText(undo.native());
        if (byFolder.empty() || byFolder.back().folder.native() != folder
            || byFolder.back().root.native() != area->folder.native())
            byFolder.push_back(FolderFiles{area->folder, std::filesystem::path(folder), {}});
        byFolder.back().names.push_back(undo.filename());
    }
    m_files.removeFilesQuietly(byFolder);
    for (const SetAsideFile& file : m_setAside)
        restoreItems::removeQuietly(m_files, file.aside);
    for (RestoreWorkspace::Area* area : m_workspace.areas()) {
        std::vector<std::filesystem::path> folders = area->undoFolders;
        // Deepest first.
        std::sort(folders.begin(), folders.end(),
                  [](const auto& a, const auto& b) { return a.native().size() > b.native().size(); });
        if (area->undoMade)
            folders.push_back(area->undoFolder);
        for (const auto& folder : folders)
            ::rmdir(folder.c_str());
    }
}

} // namespace orvane
