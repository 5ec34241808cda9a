#include "records/CheckedFolder.h"

#include "model/OrvaneError.h"
#include "platform/FileDescriptor.h"
#include "platform/Sha256.h"
#include "platform/SystemError.h"
#include "records/OutOfOpenFiles.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// Opens the regular file `name` in `folder` for reading, never through a link and never waiting on
// a FIFO; an invalid descriptor when it cannot be.
FileDescriptor openRegularIn(int folder, const std::filesystem::path& name, const std::filesystem::path& path,
                             struct stat& status)
{
    FileDescriptor fd(::openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (!fd) {
        if (isOutOfOpenFiles(errno))
            throw outOfOpenFiles(path);
        return fd;
    }
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return FileDescriptor();
    return fd;
}

} // namespace

CheckedFolder CheckedFolder::open(const FolderDescriptorCache& folders, const std::filesystem::path& folder,
                                  const QString& linkText)
{
    FolderDescriptorCache::Folder opened = folders.openNow(folder);
    if (!opened.fd) {
        if (opened.error == ELOOP || opened.error == EXDEV)
            throw OrvaneError::backupCorrupt(linkText);
        if (isOutOfOpenFiles(opened.error))
            throw outOfOpenFiles(folder);
        throwSystemError(opened.error, "open", folder);
    }
    return CheckedFolder(folder, std::move(opened));
}

std::optional<CheckedFolder> CheckedFolder::openIfPresent(const FolderDescriptorCache& folders,
                                                          const std::filesystem::path& folder, const QString& linkText)
{
    FolderDescriptorCache::Folder opened = folders.openNow(folder);
    if (!opened.fd && (opened.error == ENOENT || opened.error == ENOTDIR))
        return std::nullopt;
    if (opened.fd)
        return CheckedFolder(folder, std::move(opened));
    return open(folders, folder, linkText);
}

CheckedFolder CheckedFolder::openOwn(const std::filesystem::path& folder)
{
    FolderDescriptorCache::Folder opened;
    opened.fd = FileDescriptor(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!opened.fd) {
        if (isOutOfOpenFiles(errno))
            throw outOfOpenFiles(folder);
        throwErrno("open", folder);
    }
    return CheckedFolder(folder, std::move(opened));
}

FolderItem CheckedFolder::item(const std::filesystem::path& name) const
{
    return FolderItem{fd(), name, m_path / name};
}

FolderDescriptorCache::Look CheckedFolder::look(const std::filesystem::path& name) const
{
    return FolderDescriptorCache::lookIn(m_folder, name.native());
}

std::optional<FileStamp> CheckedFolder::stamp(const std::filesystem::path& name) const
{
    struct stat st {};
    if (::fstatat(fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return stampOf(st);
}

std::optional<CopiedFile> CheckedFolder::measure(const std::filesystem::path& name) const
{
    const auto steady = measureSteadily(name);
    if (!steady)
        return std::nullopt;
    return steady->bytes;
}

bool CheckedFolder::holds(const std::filesystem::path& name, const QString& sha256, std::int64_t byteCount) const
{
    const auto measured = measure(name);
    return measured && matchesEvidence(*measured, sha256, byteCount);
}

std::optional<SteadyMeasurement> CheckedFolder::measureSteadily(const std::filesystem::path& name) const
{
    return measureSteadilyIn(fd(), name, m_path / name);
}

void CheckedFolder::removeQuietly(FileOperations& files, const std::filesystem::path& name) const
{
    try {
        files.removeFileAt(item(name));
    } catch (const std::system_error&) {
        // Left for the next clean-up.
    }
}

std::optional<SteadyMeasurement> measureSteadilyIn(int folder, const std::filesystem::path& name,
                                                   const std::filesystem::path& path)
{
    struct stat before {}, after {};
    const FileDescriptor fd = openRegularIn(folder, name, path, before);
    if (!fd)
        return std::nullopt;
    std::uint64_t count = 0;
    QString digest;
    try {
        // Stops at the stamped size without a read to find the end: the stamps taken before and after
        // tell a file that changed size or bytes meanwhile.
        unsigned long long hashed = 0;
        digest = sha256HexOfDescriptor(fd.get(), path.c_str(), &hashed, std::uint64_t(before.st_size));
        count = hashed;
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    const FileStamp stamp = stampOf(before);
    if (::fstat(fd.get(), &after) != 0 || stampOf(after) != stamp || count != stamp.size)
        return std::nullopt;
    return SteadyMeasurement{CopiedFile{count, digest}, stamp};
}

} // namespace orvane
