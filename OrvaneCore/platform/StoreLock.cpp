#include "platform/StoreLock.h"

#include "platform/FileDescriptor.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <cstddef>
#include <map>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// One lock this process holds: the descriptor whose open file description carries the flock, and
// how many holds of its thread are still open.
struct Holding {
    pid_t process = 0;
    std::thread::id thread;
    std::size_t count = 0;
    FileDescriptor descriptor;
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

} // namespace

std::optional<StoreLock> StoreLock::acquire(const std::filesystem::path& path, const Patience& patience)
{
    createFolders(path.parent_path());
    // The lock file is never removed, so the file locked is always the one every process opens.
    FileDescriptor descriptor(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600));
    if (!descriptor)
        throwErrno("open lock file", path);
    struct stat st {};
    if (::fstat(descriptor.get(), &st) != 0)
        throwErrno("stat", path);
    if (!S_ISREG(st.st_mode))
        throwSystemError(EINVAL, "open lock file", path);
    const Key key{st.st_dev, st.st_ino};
    if (enterAgain(key))
        return StoreLock(key);

    const auto now = [&] { return patience.now ? patience.now() : std::chrono::steady_clock::now(); };
    const auto start = now();
    // Another thread of this process holds it through its own description: flock tells it as it
    // tells another process's hold.
    while (::flock(descriptor.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            throwErrno("lock", path);
        if (now() - start >= patience.limit)
            return std::nullopt;
        if (patience.pause)
            patience.pause(patience.interval);
        else
            std::this_thread::sleep_for(patience.interval);
    }

    Registry& r = registry();
    const std::lock_guard guard(r.mutex);
    r.held[key] = Holding{::getpid(), std::this_thread::get_id(), 1, std::move(descriptor)};
    return StoreLock(key);
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
