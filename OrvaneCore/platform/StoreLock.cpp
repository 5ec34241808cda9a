#include "platform/StoreLock.h"

#include "platform/FileDescriptor.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <cstddef>
#include <map>
#include <string>
#include <system_error>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// One lock this process holds: the descriptors whose open file descriptions carry the flocks (the
// lock file's and its folder's), and how many holds of its thread are still open.
struct Holding {
    pid_t process = 0;
    std::thread::id thread;
    std::size_t count = 0;
    FileDescriptor file;
    FileDescriptor folder;
};

struct Registry {
    std::mutex mutex;
    std::map<StoreLock::Key, Holding> held;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

// A forked child inherits the registry and the descriptors, but it is another process: what its
// parent held is not its own to re-enter. Dropping the copy leaves the parent's lock as it is.
bool heldByAnotherProcess(const Holding& holding)
{
    return holding.process != ::getpid();
}

// True (and counted) when this thread holds the lock already.
bool enterAgain(const StoreLock::Key& key)
{
    Registry& r = registry();
    const std::lock_guard guard(r.mutex);
    const auto found = r.held.find(key);
    if (found == r.held.end())
        return false;
    if (heldByAnotherProcess(found->second)) {
        r.held.erase(found);
        return false;
    }
    if (found->second.thread != std::this_thread::get_id())
        return false;
    ++found->second.count;
    return true;
}

void createFolders(const std::filesystem::path& folder)
{
    if (folder.empty())
        return;
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode))
            throwSystemError(ENOTDIR, "create folder", folder);
        return;
    }
    if (errno != ENOENT)
        throwErrno("stat", folder);
    if (folder.has_relative_path() && folder.parent_path() != folder)
        createFolders(folder.parent_path());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throwErrno("create folder", folder);
}

// Tries again until the lock is taken, or fails when another holder keeps it past the patience.
class Waiting final {
public:
    Waiting(const StoreLock::Patience& patience, const std::filesystem::path& path)
        : m_patience(patience), m_path(path), m_start(now())
    {
    }

    // Takes the flock of `descriptor`; false once the wait is over.
    bool lock(int descriptor) const
    {
        // Another thread of this process holds it through its own description: flock tells it as it
        // tells another process's hold.
        while (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK)
                throwErrno("lock", m_path);
            if (now() - m_start >= m_patience.limit)
                return false;
            if (m_patience.pause)
                m_patience.pause(m_patience.interval);
            else
                std::this_thread::sleep_for(m_patience.interval);
        }
        return true;
    }

    // The folder's own flock, where its file system locks folders; where it cannot (a network file
    // system that locks only files opened for writing), the file's lock alone serves.
    bool lockFolder(int descriptor) const
    {
        try {
            return lock(descriptor);
        } catch (const std::system_error& error) {
            const int code = error.code().value();
            if (code == EBADF || code == ENOLCK || code == EOPNOTSUPP || code == EINVAL)
                return true;
            throw;
        }
    }

private:
    std::chrono::steady_clock::time_point now() const
    {
        return m_patience.now ? m_patience.now() : std::chrono::steady_clock::now();
    }

    const StoreLock::Patience& m_patience;
    const std::filesystem::path& m_path;
    std::chrono::steady_clock::time_point m_start;
};

bool sameItem(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A lock file replaced between its open and its flock is given up and opened again; one replaced over
// and over is not a lock anyone holds for long.
constexpr int kAttempts = 8;

} // namespace

std::optional<StoreLock> StoreLock::acquire(const std::filesystem::path& path, const Patience& patience)
{
    const std::filesystem::path folderPath = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    createFolders(path.parent_path());
    const std::string name = path.filename().native();
    const Waiting waiting(patience, path);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // The folder may lie behind a link (a data folder moved to another disk); the file never does.
        FileDescriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!folder)
            throwErrno("open", folderPath);
        struct stat folderStatus {};
        if (::fstat(folder.get(), &folderStatus) != 0)
            throwErrno("stat", folderPath);
        Key key{folderStatus.st_dev, folderStatus.st_ino, name};
        if (enterAgain(key))
            return StoreLock(std::move(key));

        // The lock file is never removed by Orvane, so the file locked is the one every process opens.
        FileDescriptor file(::openat(folder.get(), name.c_str(),
                                     O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600));
        if (!file)
            throwErrno("open lock file", path);
        struct stat fileStatus {};
        if (::fstat(file.get(), &fileStatus) != 0)
            throwErrno("stat", path);
        if (!S_ISREG(fileStatus.st_mode))
            throwSystemError(EINVAL, "open lock file", path);
        if (!waiting.lock(file.get()) || !waiting.lockFolder(folder.get()))
            return std::nullopt;

        // Held: the path must still name what was locked. A file deleted or replaced meanwhile was
        // locked by no one who matters; closing both descriptors lets go of it.
        struct stat atPath {}, folderAtPath {};
        if (::lstat(path.c_str(), &atPath) != 0 || !sameItem(atPath, fileStatus)
            || ::stat(folderPath.c_str(), &folderAtPath) != 0 || !sameItem(folderAtPath, folderStatus))
            continue;

        Registry& r = registry();
        const std::lock_guard guard(r.mutex);
        r.held[key] = Holding{::getpid(), std::this_thread::get_id(), 1, std::move(file), std::move(folder)};
        return StoreLock(std::move(key));
    }
    return std::nullopt;
}

StoreLock& StoreLock::operator=(StoreLock&& other) noexcept
{
    if (this != &other) {
        release();
        m_key = std::exchange(other.m_key, std::nullopt);
    }
    return *this;
}

void StoreLock::release() noexcept
{
    if (!m_key)
        return;
    Registry& r = registry();
    const std::lock_guard guard(r.mutex);
    const auto found = r.held.find(*m_key);
    m_key.reset();
    if (found == r.held.end())
        return;
    // Closing the last descriptor of the description is what releases the flock.
    if (heldByAnotherProcess(found->second) || --found->second.count == 0)
        r.held.erase(found);
}

} // namespace orvane
