#include "records/BackupStore.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "records/FileEvidence.h"
#include "platform/RegularFile.h"
#include "records/BackupStoreTexts.h"
#include "records/RestoreTemporaryItems.h"
#include "records/RestoreTexts.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <exception>

#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// Stages and undo copies are synced before any swap: once a swap is done the stage is the user's
// file, and the undo copy is the only copy of the bytes it replaced.
constexpr bool kDurableCopies = true;

// The restore's private folder: created 0700 when missing, tightened when it is not, never a link.
void preparePrivateFolder(FileOperations& files, const std::filesystem::path& folder)
{
    if (folder.empty())
        throw OrvaneError::io(
            QStringLiteral("Orvane has no private temporary folder for this restore. Nothing was replaced."));
    files.createDirectories(folder, 0700);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        throwErrno("stat", folder);
    if (!S_ISDIR(st.st_mode))
        throwSystemError(ENOTDIR, "open", folder);
    if ((st.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        throwErrno("chmod", folder);
}

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

// One restore from start to end. Keeps what the rollback and the clean-up need to know.
class RestoreRun final {
public:
    RestoreRun(const BackupStore& store, const ListedBackup& backup, const std::filesystem::path& instanceRoot,
               const std::optional<std::filesystem::path>& technicRoot)
        : m_store(store)
        , m_files(*store.fileOperations())
        , m_manifest(backup.manifest)
        , m_directory(backup.directory)
        , m_instance(standardised(instanceRoot))
        , m_technic(technicRoot ? std::optional(standardised(*technicRoot)) : std::nullopt)
    {
    }

    RestoreResult run()
    {
        preparePrivateFolder(m_files, m_store.temporaryFolder());
        m_undoFolder = m_store.temporaryFolder() / restoreItems::undoFolderName();
        m_files.createDirectories(m_undoFolder, 0700);

        try {
            stage();
            takeUndoCopies();
        } catch (...) {
            cleanUp(false); // nothing was replaced
            throw;
        }

        RestoreResult result;
        try {
            commit();
            // Bounds before any created path is touched: nothing is deleted for a manifest that is refused.
            const std::uint64_t total = BackupStore::checkByteBounds(m_manifest);
            removeCreatedPaths();
            result.backupId = m_manifest.id;
            result.restoredFiles = m_restored;
            result.deletedCreatedFiles = m_deleted;
            result.verification = RestoreVerification{m_manifest.kind, std::int64_t(m_manifest.files.size()), total,
                                                      QStringLiteral("SHA-256")};
        } catch (...) {
            const std::exception_ptr stopping = std::current_exception();
            QStringList failures = putCreatedPathsBack();
            for (auto& failure : m_store.rollBack(m_prepared, m_committed))
                failures.push_back(std::move(failure));
            if (failures.isEmpty()) {
                cleanUp(false);
                std::rethrow_exception(stopping);
            }
            // The undo folder may hold the only copy of the files as they were: it stays, and is named.
            cleanUp(true);
            throw OrvaneError::io(restoreTexts::doubleFailure(describeError(stopping), failures, m_undoFolder));
        }
        cleanUp(false);
        return result;
    }

private:
    struct SetAside {
        QString entry;
        std::filesystem::path original;
        std::filesystem::path aside;
        bool putBack = false;
    };

    void hook(RestoreCheckpoint::Kind kind, std::size_t index, const std::filesystem::path& destination) const
    {
        if (m_store.restoreCheckpoint())
            m_store.restoreCheckpoint()(RestoreCheckpoint{kind, std::int64_t(index), destination});
    }

    // The destination must lie below its root (the Technic root for the launcher's settings, the
    // instance otherwise) without passing through a link.
    void refuseLinkedDestination(const BackupFile& record, const std::filesystem::path& destination) const
    {
        const bool settings = record.relativePath == backupTexts::technicSettingsPath;
        // The plan refuses settings without a Technic root; never test a link against no root.
        if ((settings && !m_technic)
            || BackupStore::pathContainsSymbolicLink(destination, settings ? *m_technic : m_instance))
            throw OrvaneError::backupCorrupt(restoreTexts::destinationBecameLink);
    }

    // Creates the folders of `folder` below the undo folder, remembering each so it can be removed.
    void makeUndoFolders(const std::filesystem::path& folder)
    {
        std::vector<std::filesystem::path> missing;
        for (auto f = folder; f != m_undoFolder && isContained(f, m_undoFolder); f = f.parent_path()) {
            if (std::find(m_undoFolders.begin(), m_undoFolders.end(), f) != m_undoFolders.end())
                break;
            missing.push_back(f);
        }
        if (missing.empty())
            return;
        m_files.createDirectories(folder, 0700);
        m_undoFolders.insert(m_undoFolders.end(), missing.begin(), missing.end());
    }

    void stage()
    {
        m_prepared.reserve(m_manifest.files.size());
        for (const BackupFile& record : m_manifest.files) {
            const std::filesystem::path source = m_directory / pathFromText(record.relativePath);
            if (BackupStore::pathContainsSymbolicLink(source, m_directory))
                throw OrvaneError::backupCorrupt(restoreTexts::sourceBecameLink);
            const std::filesystem::path destination = standardised(pathFromText(record.originalPath));
            // Its missing folders are made now: never through a link that turned up since the plan.
            refuseLinkedDestination(record, destination);
            m_files.createDirectories(destination.parent_path());

            PreparedRestoreFile file;
            file.manifestFile = record;
            file.destination = destination;
            file.staged = m_store.temporaryFolder() / restoreItems::stageName();
            const CopiedFile copied = m_files.cloneOrCopy(source, file.staged, kDurableCopies);
            m_prepared.push_back(file);
            // Both the bytes copied and the file as it now lies must be the backed-up bytes.
            const auto staged = measureIfPossible(file.staged);
            if (!matchesEvidence(copied, record.sha256, record.byteCount) || !staged
                || !matchesEvidence(*staged, record.sha256, record.byteCount)) {
                restoreItems::removeQuietly(m_files, file.staged);
                throw OrvaneError::restoreHashMismatch(pathText(file.staged));
            }
            m_prepared.back().existed = itemExistsAt(destination);
        }
    }

    void takeUndoCopies()
    {
        for (PreparedRestoreFile& file : m_prepared) {
            if (!file.existed)
                continue;
            const std::filesystem::path undo = m_undoFolder / pathFromText(file.manifestFile.relativePath);
            makeUndoFolders(undo.parent_path());
            // The copy's own digest is the prior evidence; the copy on disk and the destination,
            // measured again, must both still show it.
            const CopiedFile prior = m_files.cloneOrCopy(file.destination, undo, kDurableCopies);
            m_undoFiles.push_back(undo);
            if (prior.byteCount > std::uint64_t(INT64_MAX))
                throw OrvaneError::io(restoreTexts::changedWhilePreparing);
            const auto priorCount = std::int64_t(prior.byteCount);
            if (!holdsBytes(undo, prior.sha256, priorCount) || !holdsBytes(file.destination, prior.sha256, priorCount))
                throw OrvaneError::io(restoreTexts::changedWhilePreparing);
            file.undo = undo;
            file.previousSHA256 = prior.sha256;
            file.previousByteCount = priorCount;
        }
    }

    void commit()
    {
        for (std::size_t i = 0; i < m_prepared.size(); ++i) {
            const PreparedRestoreFile& file = m_prepared[i];
            hook(RestoreCheckpoint::Kind::beforeCommit, i, file.destination);
            refuseLinkedDestination(file.manifestFile, file.destination);
            if (file.existed) {
                // Gone, replaced by something else or rewritten: all the same, a change.
                if (!holdsBytes(file.destination, *file.previousSHA256, *file.previousByteCount))
                    throw OrvaneError::io(restoreTexts::changedWhileRestoring);
            } else if (itemExistsAt(file.destination)) {
                throw OrvaneError::io(restoreTexts::appearedWhileRestoring);
            }
            hook(RestoreCheckpoint::Kind::beforeAtomicCommit, i, file.destination);

            if (file.existed)
                m_store.swapIntoPlace(file.staged, file.destination, *file.previousSHA256, *file.previousByteCount);
            else
                m_store.moveExclusively(file.staged, file.destination);
            m_committed.push_back(i);

            if (!matchesEvidence(measureRegularFile(file.destination), file.manifestFile.sha256,
                                 file.manifestFile.byteCount))
                throw OrvaneError::restoreHashMismatch(pathText(file.destination));
            m_restored.push_back(file.manifestFile.originalPath);
        }
    }

    // Created paths are moved into the undo folder, never deleted in place: a rollback can put each
    // back, and only regular files are taken.
    void removeCreatedPaths()
    {
        for (const QString& entry : m_manifest.createdPaths) {
            const std::filesystem::path path = standardised(pathFromText(entry));
            if (!itemExistsAt(path))
                continue;
            if (BackupStore::pathContainsSymbolicLink(path, m_instance))
                throw OrvaneError::backupCorrupt(restoreTexts::createdPathLink);
            struct stat st {};
            if (::lstat(path.c_str(), &st) != 0)
                throwErrno("stat", path);
            if (!S_ISREG(st.st_mode))
                throw OrvaneError::io(restoreTexts::notARegularFile(path));

            const std::filesystem::path aside = m_undoFolder / restoreItems::setAsideName();
            m_store.moveExclusively(path, aside);
            m_setAside.push_back(SetAside{entry, path, aside});
            // What was moved may differ from what was looked at a moment before.
            if (::lstat(aside.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                throw OrvaneError::io(restoreTexts::notARegularFile(path));
            m_deleted.push_back(entry);
        }
    }

    QStringList putCreatedPathsBack()
    {
        QStringList failures;
        for (auto it = m_setAside.rbegin(); it != m_setAside.rend(); ++it) {
            try {
                m_store.moveExclusively(it->aside, it->original);
                it->putBack = true;
            } catch (const std::exception& error) {
                failures.push_back(pathText(it->original) + QStringLiteral(": ") + describe(error));
            }
        }
        return failures;
    }

    // Stages that still hold the backed-up bytes go; a stage holding anything else (the bytes a swap
    // found) stays. The undo folder goes only when `keepUndo` is false, and only the items this
    // restore put there: anything else in it keeps it.
    void cleanUp(bool keepUndo) noexcept
    {
        try {
            for (const PreparedRestoreFile& file : m_prepared) {
                restoreItems::removeIfHolding(m_files, file.staged, file.manifestFile.sha256,
                                              file.manifestFile.byteCount);
            }
            if (keepUndo)
                return;
            for (const auto& undo : m_undoFiles)
                restoreItems::removeQuietly(m_files, undo);
            for (const auto& setAside : m_setAside) {
                if (!setAside.putBack)
                    restoreItems::removeQuietly(m_files, setAside.aside);
            }
            std::vector<std::filesystem::path> folders = m_undoFolders;
            // Deepest first.
            std::sort(folders.begin(), folders.end(),
                      [](const auto& a, const auto& b) { return a.native().size() > b.native().size(); });
            folders.push_back(m_undoFolder);
            for (const auto& folder : folders)
                ::rmdir(folder.c_str());
        } catch (...) {
            // Clean-up never hides the outcome.
        }
    }

    const BackupStore& m_store;
    FileOperations& m_files;
    const BackupManifest& m_manifest;
    const std::filesystem::path m_directory;
    const std::filesystem::path m_instance;
    const std::optional<std::filesystem::path> m_technic;

    std::filesystem::path m_undoFolder;
    std::vector<std::filesystem::path> m_undoFolders; // below the undo folder, created by this restore
    std::vector<std::filesystem::path> m_undoFiles;
    std::vector<PreparedRestoreFile> m_prepared;
    std::vector<std::size_t> m_committed;
    std::vector<QString> m_restored;
    std::vector<QString> m_deleted;
    std::vector<SetAside> m_setAside;
};

} // namespace

RestoreResult BackupStore::restoreAtomically(const ListedBackup& backup, const std::filesystem::path& instanceRoot,
                                             const std::optional<std::filesystem::path>& technicDataRoot)
{
    // Nothing is created before the snapshot and the plan are both accepted.
    verifySnapshot(backup.manifest, backup.directory);
    planRestore(backup.manifest, backup.directory, instanceRoot, technicDataRoot);
    return RestoreRun(*this, backup, instanceRoot, technicDataRoot).run();
}

} // namespace orvane
