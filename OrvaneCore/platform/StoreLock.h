#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace orvane {

// How long a second holder of a StoreLock waits, trying again at each interval.
struct StoreLockPatience {
    std::chrono::milliseconds limit{3000};
    std::chrono::milliseconds interval{50};
    // Reads the time; the steady clock when empty.
    std::function<std::chrono::steady_clock::time_point()> now;
    // Waits one interval; sleeps when empty.
    std::function<void(std::chrono::milliseconds)> pause;
};

// An exclusive advisory lock (flock) on one lock file, held by at most one thread of all processes
// at a time. The kernel drops it when its holder dies, however it dies, so a crash never leaves the
// lock behind. The folder that holds the file is locked too, after the file: a lock file deleted
// while it is held would otherwise let the next comer lock a new file of that name and run beside
// the holder, whereas a folder cannot go while it holds anything. Once both are held, the path must
// still name the file locked (and the folder the one locked); a holder that finds otherwise lets go
// and starts again.
// Re-entrant within the holding thread: flock locks belong to the open file description, so a second
// open in the same process would wait on itself; a process-wide count per lock file lets an operation
// that holds the lock call another that takes it too.
class StoreLock final {
public:
    using Patience = StoreLockPatience;

    // Takes the lock on `path`, creating the file (0600) and its missing folders (0700) as needed.
    // Nothing when another process or thread still holds it after `patience.limit`, or when the file
    // at the path keeps being replaced. A link at the path is never followed, and anything but a
    // regular file there is refused: both throw std::system_error, as do the system's own failures.
    static std::optional<StoreLock> acquire(const std::filesystem::path& path, const Patience& patience = {});

    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    StoreLock(StoreLock&& other) noexcept : m_key(std::exchange(other.m_key, std::nullopt)) {}
    StoreLock& operator=(StoreLock&& other) noexcept;
    // Releases one hold; the lock itself goes with the thread's outermost one.
    ~StoreLock() { release(); }

    // What a lock is: the device and inode of the folder that holds the lock file, and the file's name
    // there (the same however the folder is reached, and whichever file the name holds meanwhile).
    struct Key {
        dev_t device = 0;
        ino_t inode = 0;
        std::string name;
        auto operator<=>(const Key&) const = default;
    };

private:
    explicit StoreLock(Key key) : m_key(std::move(key)) {}
    void release() noexcept;

    std::optional<Key> m_key;
};

} // namespace orvane
