#include "records/RestoreTemporaryItems.h"

#include "json/DescribedError.h"
#include "model/OrvaneError.h"
#include "platform/FileDescriptor.h"
#include "platform/FolderDescriptorCache.h"
#include "platform/OwnItemNames.h"
#include "platform/PathText.h"
#include "records/FileEvidence.h"
#include "records/RestoreTexts.h"

#include <exception>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::restoreItems {

namespace names = ownItemNames;

std::filesystem::path undoFolderName() { return names::fresh(names::undoFolder); }
std::filesystem::path stageName() { return names::fresh(names::stage); }
std::filesystem::path rollbackName() { return names::fresh(names::rollback); }
std::filesystem::path preservedName() { return names::fresh(names::preserved); }
std::filesystem::path setAsideName() { return names::fresh(names::setAside); }
std::filesystem::path keptUndoFolderName() { return names::fresh(names::keptUndoFolder); }
std::filesystem::path journalName() { return names::fresh(names::journal); }
std::filesystem::path probeName() { return names::fresh(names::probe); }

bool isItemName(std::string_view name)
{
    for (const std::string_view prefix : {names::undoFolder, names::keptUndoFolder, names::stage, names::rollback,
                                          names::preserved, names::setAside, names::journal, names::probe}) {
        if (names::isFresh(name, prefix))
            return true;
    }
    return false;
}

bool isKeptUndoFolder(const std::filesystem::path& folder)
{
    return names::isFresh(folder.filename().native(), names::keptUndoFolder);
}

std::optional<CheckedFolder> openBelow(const std::filesystem::path& root, const std::filesystem::path& folder) noexcept
{
    try {
        const FolderDescriptorCache folders(root);
        return CheckedFolder::openIfPresent(folders, folder, QStringLiteral("link"));
    } catch (...) {
        return std::nullopt; // through a link, or not open now: left for the next clean-up
    }
}

std::optional<CheckedFolder> openWithinRoots(const std::filesystem::path& folder, const std::filesystem::path& instance,
                                             const std::optional<std::filesystem::path>& technic) noexcept
{
    if (!folder.is_absolute())
        return std::nullopt;
    if (folder == instance || isContained(folder, instance))
        return openBelow(instance, folder);
    if (technic && (folder == *technic || isContained(folder, *technic)))
        return openBelow(*technic, folder);
    return std::nullopt;
}

std::vector<std::string> namesIn(int folder)
{
    std::vector<std::string> names;
    // A listing descriptor of its own: the folder's may be a path-only one.
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return names;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

void removeLeftovers(FileOperations& files, const CheckedFolder& folder,
                     const std::function<bool(const CopiedFile&)>& known) noexcept
{
    try {
        for (const std::string& name : namesIn(folder.fd())) {
            if (!names::isFresh(name, names::probe) && !names::isFresh(name, names::stage)
                && !names::isFresh(name, names::rollback))
                continue;
            const auto look = folder.look(name);
            if (look.error != 0 || look.throughLink || !S_ISREG(look.item.st_mode))
                continue;
            // Named like one is not enough: it must hold what such an item holds.
            const auto measured = folder.measure(name);
            if (!measured || !known(*measured))
                continue;
            folder.removeQuietly(files, name);
        }
    } catch (...) {
        // A clean-up never stops the operation it precedes.
    }
}

void removeLeftovers(FileOperations& files, const std::filesystem::path& root, const std::filesystem::path& folder,
                     const std::function<bool(const CopiedFile&)>& known) noexcept
{
    if (const auto opened = openBelow(root, folder))
        removeLeftovers(files, *opened, known);
}

bool removeFolderAt(FileOperations& files, int parent, const std::filesystem::path& name,
                    const std::filesystem::path& path) noexcept
{
    try {
        const FileDescriptor folder(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder)
            return errno == ENOENT;
        bool everything = true;
        for (const std::string& entry : namesIn(folder.get())) {
            struct stat st {};
            if (::fstatat(folder.get(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                everything = false;
                continue;
            }
            if (S_ISDIR(st.st_mode)) {
                everything = removeFolderAt(files, folder.get(), entry, path / entry) && everything;
            } else if (S_ISREG(st.st_mode)) {
                try {
                    files.removeFileAt(FolderItem{folder.get(), entry, path / entry});
                } catch (const std::system_error&) {
                    everything = false;
                }
            } else {
                everything = false; // not one of ours: it stays, and so does its folder
            }
        }
        return everything && (::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT);
    } catch (...) {
        return false;
    }
}

std::optional<QString> putBack(FileOperations& files, const FolderDescriptorCache& folders, const SetAsideFile& file)
{
    const std::filesystem::path& aside = file.aside;
    const std::filesystem::path& original = file.original;
    try {
        const CheckedFolder folder = CheckedFolder::open(folders, original.parent_path(), restoreTexts::createdPathLink);
        const FolderItem back = folder.itemAt(original);
        try {
            files.moveNoReplaceAt(FolderItem{AT_FDCWD, aside, aside}, back);
        } catch (const std::system_error& error) {
            throw OrvaneError::io(restoreTexts::moveFailed(back.path, error));
        }
        return std::nullopt;
    } catch (const std::exception& error) {
        return pathText(original) + QStringLiteral(": ") + describe(error);
    }
}

std::filesystem::path keepUndoFolder(FileOperations& files, const std::filesystem::path& folder)
{
    if (isKeptUndoFolder(folder))
        return folder;
    const std::filesystem::path kept = folder.parent_path() / keptUndoFolderName();
    try {
        files.moveNoReplace(folder, kept);
        return kept;
    } catch (const std::exception&) {
        return folder;
    }
}

void removeQuietly(FileOperations& files, const std::filesystem::path& path)
{
    try {
        files.removeFile(path);
    } catch (const std::exception&) {
    }
}


} // namespace orvane::restoreItems
