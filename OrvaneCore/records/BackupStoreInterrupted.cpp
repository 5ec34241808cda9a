#include "records/BackupStore.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/FileEvidence.h"
#include "records/RestoreCommitRecord.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreTexts.h"
#include "records/RestoreWorkspace.h"
#include "records/SnapshotCopyMismatch.h"

#include <QStringList>

#include <algorithm>
#include <map>
#include <system_error>

namespace orvane {

namespace {

// One interrupted restore: its record and the undo folders holding it.
struct Interrupted {
    RestoreCommitRecord record;
    std::vector<std::filesystem::path> undoFolders;
};

// Where the undo folders keep the prior bytes of `file`, when it existed before that restore.
std::optional<std::filesystem::path> undoCopyOf(const BackupFile& file,
                                                const std::vector<std::filesystem::path>& undoFolders)
{
    for (const auto& folder : undoFolders) {
        const std::filesystem::path candidate = folder / pathFromText(file.relativePath);
        if (stampIfPossible(candidate))
            return candidate;
    }
    return std::nullopt;
}

bool sameFile(const std::optional<FileStamp>& a, const std::optional<FileStamp>& b)
{
    return a && b && a->device == b->device && a->inode == b->inode;
}

// Items the restore moved into an undo folder from paths the manifest does not name.
bool holdsSetAsideItems(const std::filesystem::path& undoFolder)
{
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(undoFolder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (it->path().filename().native().rfind(".orvane-restore-created-", 0) == 0)
            return true;
    }
    return false;
}

// True once any file was replaced: an existing destination is no longer its undo link's file, or a new
// one is in place. Until then the world is as it was and the restore's items are leftovers.
bool replacedAny(const BackupManifest& manifest, const std::vector<std::filesystem::path>& undoFolders)
{
    for (const BackupFile& file : manifest.files) {
        const auto now = stampIfPossible(standardised(pathFromText(file.originalPath)));
        if (const auto undo = undoCopyOf(file, undoFolders)) {
            if (!sameFile(now, stampIfPossible(*undo)))
                return true;
        } else if (now) {
            return true;
        }
    }
    return std::any_of(undoFolders.begin(), undoFolders.end(), holdsSetAsideItems);
}

void removeRecords(FileOperations& files, const std::vector<std::filesystem::path>& undoFolders)
{
    for (const auto& folder : undoFolders)
        restoreItems::removeQuietly(files, RestoreCommitRecord::fileIn(folder));
}

} // namespace

void BackupStore::finishInterruptedRestores(const std::filesystem::path& instanceRoot,
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
        }
    }

    for (const auto& [token, restore] : interrupted) {
        std::optional<ListedBackup> backup;
        try {
            BackupManifest wanted;
            wanted.id = restore.record.backupId;
            backup = loadBackup(wanted);
        } catch (const OrvaneError&) {
            // Gone or unreadable: it is put back from the undo folders below.
        }
        if (backup && !replacedAny(backup->manifest, restore.undoFolders)) {
            removeRecords(*m_files, restore.undoFolders); // nothing to finish: the clean-up takes the rest
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
                const auto kind = error.kind();
                if (kind != OrvaneError::Kind::backupCorrupt && kind != OrvaneError::Kind::backupMissing)
                    throw;
            }
        }
        if (!finished)
            undoInterruptedRestore(backup, restore.record, restore.undoFolders);

        // Every file holds either the backed-up bytes or its prior ones: the undo data has served.
        removeRecords(*m_files, restore.undoFolders);
        for (const auto& folder : restore.undoFolders) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
        const BackupKind kind = backup ? backup->manifest.kind : BackupKind::saves;
        m_interruptedRestoreNotice = finished ? restoreTexts::interruptedRestoreFinished(kind)
                                              : restoreTexts::interruptedRestoreUndone(kind);
    }
}

void BackupStore::undoInterruptedRestore(const std::optional<ListedBackup>& backup, const RestoreCommitRecord& record,
                                         const std::vector<std::filesystem::path>& undoFolders)
{
    QStringList failures;
    std::vector<PreparedRestoreFile> prepared;
    std::vector<std::size_t> replaced;
    // Files are put back only where a restore of this manifest could have written.
    bool planned = false;
    try {
        if (backup) {
            planRestore(backup->manifest, backup->directory, record.instanceRoot, record.technicRoot);
            planned = true;
        }
    } catch (const OrvaneError&) {
    }
    if (!planned) {
        failures.push_back(QStringLiteral("its backup can no longer be read, so Orvane cannot tell which files it "
                                          "replaced"));
    } else {
        for (const BackupFile& file : backup->manifest.files) {
            PreparedRestoreFile entry;
            entry.manifestFile = file;
            entry.destination = standardised(pathFromText(file.originalPath));
            const auto now = stampIfPossible(entry.destination);
            entry.undo = undoCopyOf(file, undoFolders);
            entry.existed = entry.undo.has_value();
            if (entry.existed) {
                if (sameFile(now, stampIfPossible(*entry.undo)))
                    continue; // never replaced
                const auto prior = measureIfPossible(*entry.undo);
                if (!prior) {
                    failures.push_back(pathText(entry.destination) + QStringLiteral(": ") + restoreTexts::undoMissing);
                    continue;
                }
                entry.previousSHA256 = prior->sha256;
                entry.previousByteCount = std::int64_t(prior->byteCount);
            } else if (!now) {
                continue; // never moved into place
            }
            replaced.push_back(prepared.size());
            prepared.push_back(std::move(entry));
        }
        // Put back in the order they were replaced, last first.
        for (auto& failure : rollBack(prepared, replaced))
            failures.push_back(std::move(failure));
    }
    for (const auto& folder : undoFolders) {
        if (holdsSetAsideItems(folder))
            failures.push_back(pathText(folder) + QStringLiteral(": holds files the restore had moved aside"));
    }
    if (failures.isEmpty())
        return;

    // The undo folders may hold the only copy of the files as they were: kept under names no clean-up takes.
    std::vector<std::filesystem::path> kept;
    for (const auto& folder : undoFolders) {
        const std::filesystem::path name = folder.parent_path() / restoreItems::keptUndoFolderName();
        try {
            m_files->moveNoReplace(folder, name);
            restoreItems::removeQuietly(*m_files, RestoreCommitRecord::fileIn(name));
            kept.push_back(name);
        } catch (const std::exception&) {
            kept.push_back(folder);
        }
    }
    throw OrvaneError::io(restoreTexts::interruptedRestoreKept(failures, kept));
}

} // namespace orvane
