#include "records/WorldSaveScanner.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "records/BackupStoreTexts.h"
#include "records/OutOfOpenFiles.h"
#include "records/WorldRefusals.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

struct Frame {
    DirHandle dir;
    std::filesystem::path path;
};

// The walk stops at the first folder it cannot open or read: the tree would be incomplete.
[[noreturn]] void incomplete(int error, const char* operation, const std::filesystem::path& path)
{
    if (isOutOfOpenFiles(error))
        throw outOfOpenFiles(path);
    const std::system_error cause(error, std::generic_category(), std::string(operation) + ' ' + path.native());
    throw OrvaneError::io(QStringLiteral("Orvane could not read the complete world save tree: ") + describe(cause));
}

// Opens a folder below `parentFd` (or the path itself when parentFd is AT_FDCWD) without following a link.
DirHandle openFolder(int parentFd, const char* name)
{
    const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return nullptr;
    }
    return DirHandle(dir);
}

} // namespace

void countWorldFileBytes(std::uint64_t& total, std::uint64_t size, const std::filesystem::path& file,
                         const WorldScanLimits& limits)
{
    if (size > limits.maxFileBytes)
        throw worldFileTooLarge(file, limits.maxFileBytes);
    if (size > limits.maxTotalBytes - total)
        throw OrvaneError::backupCorrupt(backupTexts::totalSizeLimit);
    total += size;
}

WorldSaveScan scanWorldSaves(const std::filesystem::path& savesFolder, const WorldScanLimits& limits)
{
    WorldSaveScan scan;
    std::vector<Frame> stack;
    {
        DirHandle top = openFolder(AT_FDCWD, savesFolder.c_str());
        if (!top) {
            if (errno == ELOOP)
                throw worldLinkRefused(savesFolder);
            if (isOutOfOpenFiles(errno))
                throw outOfOpenFiles(savesFolder);
            throw OrvaneError::io(QStringLiteral("Orvane could not enumerate the selected world saves."));
        }
        stack.push_back(Frame{std::move(top), savesFolder});
    }

    while (!stack.empty()) {
        Frame& frame = stack.back();
        errno = 0;
        const dirent* entry = ::readdir(frame.dir.get());
        if (!entry) {
            if (errno != 0)
                incomplete(errno, "read folder", frame.path);
            stack.pop_back();
            continue;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        const int parentFd = ::dirfd(frame.dir.get());
        const std::filesystem::path path = frame.path / name;

        struct stat st {};
        if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            throwErrno("stat", path);
        if (S_ISLNK(st.st_mode))
            throw worldLinkRefused(path);
        if (S_ISDIR(st.st_mode)) {
            DirHandle child = openFolder(parentFd, name);
            if (!child) {
                // Replaced by a link since it was looked at.
                if (errno == ELOOP)
                    throw worldLinkRefused(path);
                incomplete(errno, "open folder", path);
            }
            stack.push_back(Frame{std::move(child), path}); // `frame` is not used past this point
            continue;
        }
        if (!S_ISREG(st.st_mode))
            throw OrvaneError::backupCorrupt(backupTexts::treeSpecialFile);
        if (scan.files.size() >= limits.maxFileCount)
            throw OrvaneError::backupCorrupt(backupTexts::fileLimit);
        std::uint64_t total = scan.totalBytes;
        countWorldFileBytes(total, std::uint64_t(st.st_size), path, limits);
        if (!exactPathText(path))
            throw unrecordableName(path);
        scan.totalBytes = total;
        scan.files.push_back(path);
    }
    return scan;
}

} // namespace orvane
