#include "records/InterruptedRestore.h"

#include "platform/OwnItemNames.h"
#include "platform/PathText.h"
#include "records/FileEvidence.h"
#include "records/WorldRefusals.h"

#include <algorithm>
#include <set>
#include <string>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

using RecordedFile = RestoreCommitRecord::File;

bool sameFile(const std::optional<FileStamp>& a, const std::optional<FileStamp>& b)
{
    return a && b && a->device == b->device && a->inode == b->inode;
}

// True when nothing but folders (and `except`) lies below `folder`; false when it cannot be looked through.
bool holdsNoFileBut(const std::filesystem::path& folder, const std::filesystem::path& except)
{
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code statusError;
        const auto status = it->symlink_status(statusError);
        if (statusError || (!std::filesystem::is_directory(status) && it->path() != except))
            return false;
    }
    return !ec; // a folder that cannot be looked through may hold anything
}

// Whether `now` (the destination's stamp) is the file that was there before the restore.
bool isPriorFile(const RecordedFile& file, const std::optional<FileStamp>& now,
                 const std::optional<std::filesystem::path>& undo)
{
    if (file.priorFile)
        return now && now->device == file.priorFile->first && now->inode == file.priorFile->second;
    return undo && sameFile(now, stampIfPossible(*undo));
}

} // namespace

void InterruptedRestore::gather()
{
    undoFolders.clear();
    files.clear();
    setAside.clear();
    listsFiles = true;
    for (const UndoFolder& folder : folders) {
        undoFolders.push_back(folder.path);
        if (folder.record.files)
            files.insert(files.end(), folder.record.files->begin(), folder.record.files->end());
        else
            listsFiles = false;
        for (const auto& item : folder.record.setAside)
            setAside.push_back(SetAsideFile{folder.path / item.aside, item.original});
    }
}

bool InterruptedRestore::keptBefore() const
{
    return std::any_of(folders.begin(), folders.end(),
                       [](const UndoFolder& folder) { return restoreItems::isKeptUndoFolder(folder.path); });
}

std::optional<std::filesystem::path> InterruptedRestore::undoFileOf(const QString& relativePath) const
{
    for (const auto& folder : undoFolders) {
        const std::filesystem::path candidate = folder / pathFromText(relativePath);
        if (stampIfPossible(candidate))
            return candidate;
    }
    return std::nullopt;
}

InterruptedRestore::FileState InterruptedRestore::stateOf(const RecordedFile& file) const
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
    const auto undo = undoFileOf(file.relativePath);
    if (!now && undo)
        return FileState::movedAside;
    // Still the prior file (its undo file when that is a link, the file it was copied from when a copy):
    // never replaced, but it may have been written in place since.
    if (isPriorFile(file, now, undo))
        return holdsPrior ? FileState::untouched : FileState::changed;
    if (holdsPrior)
        return FileState::prior;
    return holdsBackup ? FileState::restored : FileState::changed;
}

bool InterruptedRestore::wasReplaced(const RecordedFile& file) const
{
    const auto now = stampIfPossible(file.destination);
    if (!file.existed())
        return now.has_value();
    return !isPriorFile(file, now, undoFileOf(file.relativePath));
}

BackupKind InterruptedRestore::kind(const std::optional<ListedBackup>& backup) const
{
    if (backup)
        return backup->manifest.kind;
    const bool world = std::all_of(files.begin(), files.end(), [](const RecordedFile& file) {
        return file.relativePath.startsWith(QLatin1String("saves/"));
    });
    return world ? BackupKind::saves : BackupKind::manual;
}

bool InterruptedRestore::holdsSetAside(const std::filesystem::path& undoFolder, SetAsideItems which) const
{
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(undoFolder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (ownItemNames::isFresh(it->path().filename().native(), ownItemNames::setAside)
            && (which == SetAsideItems::any
                || std::none_of(setAside.begin(), setAside.end(),
                                [&](const SetAsideFile& item) { return item.aside == it->path(); })))
            return true;
    }
    return false;
}

std::optional<std::filesystem::path> InterruptedRestore::linkOnTheWay() const
{
    // Folder by folder: a world has tens of thousands of files in a few of them.
    std::set<std::filesystem::path> folders;
    for (const RecordedFile& file : files)
        folders.insert(file.destination.parent_path());
    for (const SetAsideFile& item : setAside)
        folders.insert(item.original.parent_path());
    for (const auto& folder : folders) {
        for (const auto* root : {&roots.instance, roots.technic ? &*roots.technic : nullptr}) {
            if (root && isSameOrContained(folder, *root)) {
                if (auto link = firstSymbolicLink(folder, *root))
                    return link;
                break;
            }
        }
    }
    return std::nullopt;
}

bool InterruptedRestore::liesWithinRoots() const
{
    const auto within = [&](const std::filesystem::path& folder) {
        return isSameOrContained(folder, roots.instance) || (roots.technic && isSameOrContained(folder, *roots.technic));
    };
    return std::all_of(files.begin(), files.end(),
                       [&](const RecordedFile& file) { return within(file.destination.parent_path()); })
        && std::all_of(setAside.begin(), setAside.end(), [&](const SetAsideFile& item) {
               return isSameOrContained(item.original.parent_path(), roots.instance);
           });
}

bool InterruptedRestore::touchedAny() const
{
    return std::any_of(undoFolders.begin(), undoFolders.end(),
                       [&](const std::filesystem::path& folder) { return holdsSetAside(folder, SetAsideItems::any); })
        || std::any_of(files.begin(), files.end(), [&](const RecordedFile& file) { return wasReplaced(file); });
}

bool holdsOnlyItsRecord(const std::filesystem::path& undoFolder)
{
    return holdsNoFileBut(undoFolder, RestoreCommitRecord::fileIn(undoFolder));
}

bool wasEmptied(const InterruptedRestore::UndoFolder& folder)
{
    const auto& files = folder.record.files;
    const bool listsUndoData = !folder.record.setAside.empty()
        || (files && std::any_of(files->begin(), files->end(), [](const RecordedFile& file) { return file.existed(); }));
    return restoreItems::isKeptUndoFolder(folder.path) && listsUndoData
        && holdsNoFileBut(folder.path, RestoreCommitRecord::fileIn(folder.path));
}

void removeEmptyFolders(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> folders;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code statusError;
        if (std::filesystem::is_directory(it->symlink_status(statusError)) && !statusError)
            folders.push_back(it->path());
    }
    std::sort(folders.begin(), folders.end(),
              [](const auto& a, const auto& b) { return a.native().size() > b.native().size(); });
    folders.push_back(folder);
    // rmdir never removes a file, nor follows a link put in a folder's place.
    for (const auto& empty : folders)
        ::rmdir(empty.c_str());
}

std::vector<RecordedFile> filesOfManifest(const BackupManifest& manifest, const InterruptedRestore& restore)
{
    std::vector<RecordedFile> files;
    for (const BackupFile& file : manifest.files) {
        RecordedFile recorded{file.relativePath, standardised(pathFromText(file.originalPath)), file.sha256,
                              file.byteCount, std::nullopt, std::nullopt, std::nullopt};
        if (const auto undo = restore.undoFileOf(file.relativePath)) {
            if (const auto prior = measureIfPossible(*undo)) {
                recorded.priorSHA256 = prior->sha256;
                recorded.priorByteCount = std::int64_t(prior->byteCount);
            }
        }
        files.push_back(std::move(recorded));
    }
    return files;
}

bool isOccupiedAgain(const SetAsideFile& item)
{
    return stampIfPossible(item.aside) && stampIfPossible(item.original);
}

} // namespace orvane
