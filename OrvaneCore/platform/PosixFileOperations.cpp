#include "platform/PosixFileOperations.h"

#include "platform/AtomicWriteTemporary.h"
#include "platform/FileDescriptor.h"
#include "platform/FolderDescriptorCache.h"
#include "platform/HexDigest.h"
#include "platform/PathText.h"
#include "platform/RegularFile.h"
#include "platform/Sha256.h"
#include "platform/SystemError.h"
#include "platform/TransferBuffer.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace orvane {

namespace {

constexpr std::uint64_t kEarlyWriteBytes = std::uint64_t(64) << 10;

// Below this many files, starting threads costs more than it saves.
constexpr std::size_t kParallelRemovalFiles = 512;
constexpr unsigned kRemovalThreads = 4;

std::size_t fileCount(const std::vector<FolderFiles>& files)
{
    std::size_t count = 0;
    for (const FolderFiles& folder : files)
        count += folder.names.size();
    return count;
}

// Calls `remove(folderFd, folder, name)` for the files `first` to `last` (in the order of `files`,
// folder by folder), each folder opened once from its root without following a link (a folder
// swapped for a link since it was made is never followed), with a root and one folder open at a time.
// A folder that cannot be opened so keeps its files.
template <typename Remove>
void forEachFileToRemove(const std::vector<FolderFiles>& files, std::size_t first, std::size_t last, Remove remove)
{
    std::optional<FolderDescriptorCache> below; // of the root of the folder in hand
    std::size_t index = 0;
    for (const FolderFiles& folder : files) {
        const std::size_t end = index + folder.names.size();
        if (end > first && index < last) {
            if (!below || below->root() != standardised(folder.root)) {
                below.reset();
                below.emplace(folder.root, 1);
            }
            const FolderDescriptorCache::Folder opened = below->openNow(folder.folder);
            for (std::size_t i = std::max(index, first); opened.fd && i < std::min(end, last); ++i)
                remove(opened.fd.get(), folder.folder, folder.names[i - index]);
        }
        index = end;
        if (index >= last)
            break;
    }
}

void writeAll(int fd, const char* data, std::size_t size, const std::filesystem::path& path)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwErrno("write", path);
        }
        data += n;
        size -= std::size_t(n);
    }
}

// File systems that answered a clone with EOPNOTSUPP: asking again for every file of a world costs a
// call each. A clone needs source and target on one file system, so the source's device names it.
class UncloneableFileSystems final {
public:
    bool contains(dev_t device) const
    {
        const std::lock_guard lock(m_mutex);
        return std::find(m_devices.begin(), m_devices.end(), device) != m_devices.end();
    }
    void add(dev_t device)
    {
        const std::lock_guard lock(m_mutex);
        if (std::find(m_devices.begin(), m_devices.end(), device) == m_devices.end())
            m_devices.push_back(device);
    }

private:
    mutable std::mutex m_mutex;
    std::vector<dev_t> m_devices;
};

UncloneableFileSystems& uncloneable()
{
    static UncloneableFileSystems devices;
    return devices;
}

std::filesystem::path folderOf(const std::filesystem::path& path)
{
    const auto parent = path.parent_path();
    return parent.empty() ? std::filesystem::path(".") : parent;
}

// Removes a file this operation created when the operation does not complete.
class RemoveOnFailure final {
public:
    explicit RemoveOnFailure(std::filesystem::path path) : m_path(std::move(path)) {}
    ~RemoveOnFailure()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    void dismiss() { m_path.clear(); }

private:
    std::filesystem::path m_path;
};

} // namespace

std::shared_ptr<FileOperations> FileOperations::system()
{
    static const auto instance = std::make_shared<PosixFileOperations>();
    return instance;
}

std::optional<QByteArray> readFileIfPossible(FileOperations& files, const std::filesystem::path& path,
                                             std::uint64_t maxBytes, bool followLinks)
{
    try {
        return files.readRegularFile(path, maxBytes, followLinks);
    } catch (const std::system_error&) {
        return std::nullopt;
    }
}

void PosixFileOperations::writeAtomically(const std::filesystem::path& path, const QByteArray& bytes, mode_t mode)
{
    const auto folder = folderOf(path);
    std::string pattern = atomicWriteTemporary::pattern(folder / path.filename());
    FileDescriptor fd(::mkostemp(pattern.data(), O_CLOEXEC)); // mkostemp creates the file 0600.
    if (!fd)
        throwErrno("create", pattern);
    const std::filesystem::path temp(pattern);
    RemoveOnFailure cleanup(temp);

    writeAll(fd.get(), bytes.constData(), std::size_t(bytes.size()), temp);
    if (::fsync(fd.get()) != 0)
        throwErrno("sync", temp);
    if (::fchmod(fd.get(), mode) != 0)
        throwErrno("chmod", temp);
    if (::close(fd.release()) != 0)
        throwErrno("close", temp);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        throwErrno("rename", path);
    cleanup.dismiss();
    syncDirectory(folder);
}

QByteArray PosixFileOperations::readRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes,
                                                bool followLinks)
{
    struct stat st {};
    const FileDescriptor fd = openRegularFile(path, "read", &st, followLinks);
    if (std::uint64_t(st.st_size) > maxBytes)
        throwSystemError(EFBIG, "read", path);

    QByteArray out;
    out.reserve(qsizetype(st.st_size));
    // One byte more than the limit shows growth; never a buffer of 0 bytes, which would read nothing.
    std::span<std::byte> buffer = transferBuffer();
    if (maxBytes < buffer.size())
        buffer = buffer.first(std::size_t(maxBytes) + 1);
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwErrno("read", path);
        }
        if (n == 0)
            break;
        if (std::uint64_t(out.size()) + std::uint64_t(n) > maxBytes) // grew while we read
            throwSystemError(EFBIG, "read", path);
        out.append(reinterpret_cast<const char*>(buffer.data()), qsizetype(n));
    }
    return out;
}

CopiedFile PosixFileOperations::cloneOrCopy(const std::filesystem::path& source, const std::filesystem::path& target,
                                            bool durable)
{
    struct stat st {};
    const FileDescriptor in = openRegularFile(source, "copy", &st);

    FileDescriptor out(::open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out)
        throwErrno("create", target);
    RemoveOnFailure cleanup(target);

    CopiedFile copied;
    bool cloned = false;
    if (!uncloneable().contains(st.st_dev)) {
        cloned = ::ioctl(out.get(), FICLONE, in.get()) == 0;
        if (!cloned && errno == EOPNOTSUPP)
            uncloneable().add(st.st_dev);
    }
    if (cloned) {
        // The clone is our private copy: its bytes are what the digest must describe.
        if (::lseek(out.get(), 0, SEEK_SET) < 0)
            throwErrno("seek", target);
        unsigned long long count = 0;
        copied.sha256 = sha256HexOfDescriptor(out.get(), target.c_str(), &count);
        copied.byteCount = count;
    } else {
        const std::span<std::byte> buffer = transferBuffer();
        Sha256 hasher;
        for (;;) {
            const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throwErrno("read", source);
            }
            if (n == 0)
                break;
            hasher.update(buffer.data(), std::size_t(n));
            writeAll(out.get(), reinterpret_cast<const char*>(buffer.data()), std::size_t(n), target);
            copied.byteCount += std::uint64_t(n);
        }
        copied.sha256 = hexDigest(hasher.finish());
    }
    if (::fchmod(out.get(), st.st_mode & 07777 & ~mode_t(S_ISUID | S_ISGID)) != 0)
        throwErrno("chmod", target);
    // As `cp -p` does: a backup keeps when each file was last written, and a restore gives it back.
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    if (::futimens(out.get(), times) != 0)
        throwErrno("set the time of", target);
    if (durable && ::fsync(out.get()) != 0)
        throwErrno("sync", target);
    // Otherwise writing a large copy out starts now, alongside the caller's next work, so that a later
    // flush of many copies waits less; small copies are written together by that flush, which costs
    // less than one write each. Only a hint: a failure here changes nothing.
    if (!durable && copied.byteCount >= kEarlyWriteBytes)
        ::sync_file_range(out.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    if (::close(out.release()) != 0)
        throwErrno("close", target);
    cleanup.dismiss();
    return copied;
}

void PosixFileOperations::swap(const std::filesystem::path& a, const std::filesystem::path& b)
{
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) != 0)
        throwErrno("swap", b);
}

void PosixFileOperations::moveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0)
        throwErrno("move", to);
}

void PosixFileOperations::rename(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        throwErrno("rename", to);
}

void PosixFileOperations::removeFile(const std::filesystem::path& path)
{
    if (::unlink(path.c_str()) != 0)
        throwErrno("remove", path);
}

void PosixFileOperations::createDirectories(const std::filesystem::path& path, mode_t mode)
{
    // The folder itself first: when its parent exists (the usual case) that is the one call; only a
    // missing or non-folder parent sends the walk upwards, never from "/" down.
    int error = ::mkdir(path.c_str(), mode) == 0 ? 0 : errno;
    if (error == ENOENT || error == ENOTDIR) {
        const std::filesystem::path parent = path.parent_path();
        if (parent.empty() || parent == path)
            throwSystemError(error, "create folder", path);
        createDirectories(parent, mode);
        error = ::mkdir(path.c_str(), mode) == 0 ? 0 : errno;
    }
    if (error == 0)
        return;
    if (error != EEXIST)
        throwSystemError(error, "create folder", path);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throwErrno("stat", path);
    if (!S_ISDIR(st.st_mode))
        throwSystemError(ENOTDIR, "create folder", path);
}

void FileOperations::hardLink(const std::filesystem::path& existing, const std::filesystem::path& link)
{
    if (::link(existing.c_str(), link.c_str()) != 0)
        throwErrno("link", link);
}

std::optional<std::uint64_t> FileOperations::availableBytes(const std::filesystem::path& path)
{
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0 || st.f_frsize == 0)
        return std::nullopt;
    return std::uint64_t(st.f_bavail) * std::uint64_t(st.f_frsize);
}

void PosixFileOperations::swapAt(const FolderItem& a, const FolderItem& b)
{
    if (::renameat2(a.folder, a.name.c_str(), b.folder, b.name.c_str(), RENAME_EXCHANGE) != 0)
        throwErrno("swap", b.path);
}

void PosixFileOperations::moveNoReplaceAt(const FolderItem& from, const FolderItem& to)
{
    if (::renameat2(from.folder, from.name.c_str(), to.folder, to.name.c_str(), RENAME_NOREPLACE) != 0)
        throwErrno("move", to.path);
}

void PosixFileOperations::hardLinkAt(const FolderItem& existing, const FolderItem& link)
{
    // No AT_SYMLINK_FOLLOW: a link planted at the name gets the second name itself, never its target.
    if (::linkat(existing.folder, existing.name.c_str(), link.folder, link.name.c_str(), 0) != 0)
        throwErrno("link", link.path);
}

void PosixFileOperations::removeFileAt(const FolderItem& item)
{
    if (::unlinkat(item.folder, item.name.c_str(), 0) != 0)
        throwErrno("remove", item.path);
}

void FileOperations::removeFilesQuietly(const std::vector<FolderFiles>& files)
{
    const std::size_t count = fileCount(files);
    forEachFileToRemove(files, 0, count, [this](int fd, const std::filesystem::path& folder,
                                                const std::filesystem::path& name) {
        try {
            removeFileAt(FolderItem{fd, name, folder / name});
        } catch (const std::system_error&) {
            // Left for the next clean-up.
        }
    });
}

void PosixFileOperations::removeFilesQuietly(const std::vector<FolderFiles>& files)
{
    const std::size_t count = fileCount(files);
    const auto remove = [](int fd, const std::filesystem::path&, const std::filesystem::path& name) {
        ::unlinkat(fd, name.c_str(), 0); // quietly: what stays is left for a later clean-up
    };
    const unsigned threads =
        count < kParallelRemovalFiles ? 1 : std::clamp(std::thread::hardware_concurrency(), 1u, kRemovalThreads);
    // Each thread takes one run of files; a thread that cannot start leaves its run to this one. Every
    // thread is joined before `files` goes, whatever happens here.
    struct Joined {
        std::vector<std::thread> threads;
        ~Joined()
        {
            for (std::thread& thread : threads)
                thread.join();
        }
    } started;
    std::vector<unsigned> left;
    for (unsigned t = 1; t < threads; ++t) {
        const std::size_t first = count * t / threads, last = count * (t + 1) / threads;
        try {
            started.threads.emplace_back(
                [&files, first, last, remove] { forEachFileToRemove(files, first, last, remove); });
        } catch (const std::system_error&) {
            left.push_back(t);
        }
    }
    forEachFileToRemove(files, 0, count / threads, remove);
    for (const unsigned t : left)
        forEachFileToRemove(files, count * t / threads, count * (t + 1) / threads, remove);
}

void FileOperations::syncFileSystem(const std::filesystem::path& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd)
        throwErrno("open", path);
    if (::syncfs(fd.get()) != 0)
        throwErrno("sync", path);
}

void PosixFileOperations::syncDirectory(const std::filesystem::path& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd)
        throwErrno("open", path);
    if (::fsync(fd.get()) != 0)
        throwErrno("sync", path);
}

} // namespace orvane
