#include "platform/StoreLock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvane;
using orvane::test::readFile;
using orvane::test::TempDir;
using orvane::test::writeFile;

namespace {

using std::chrono::milliseconds;

StoreLock::Patience noWait()
{
    StoreLock::Patience patience;
    patience.limit = milliseconds(0);
    return patience;
}

// A second process that takes the lock, says so, and keeps it until told to end (or killed).
class Holder final {
public:
    explicit Holder(const std::filesystem::path& lockFile)
    {
        int ready[2], release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            try {
                const auto held = StoreLock::acquire(lockFile, noWait());
                const char got = held ? 'y' : 'n';
                if (::write(ready[1], &got, 1) != 1)
                    ::_exit(2);
                char ignored;
                while (::read(release[0], &ignored, 1) < 0 && errno == EINTR) {
                }
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char got = 0;
        m_holding = ::read(ready[0], &got, 1) == 1 && got == 'y';
        ::close(ready[0]);
    }
    ~Holder()
    {
        kill();
        if (m_release >= 0)
            ::close(m_release);
    }

    bool holding() const { return m_holding; }
    // Lets the holder end normally and waits for it.
    void end()
    {
        ::close(std::exchange(m_release, -1));
        reap();
    }
    void kill()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL);
        reap();
    }

private:
    void reap()
    {
        if (m_pid > 0) {
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
        }
    }

    pid_t m_pid = -1;
    int m_release = -1;
    bool m_holding = false;
};

// A patience whose clock moves only when it pauses; `onPause` runs at each pause first.
struct FakePatience {
    std::chrono::steady_clock::time_point time{};
    int pauses = 0;
    std::function<void()> onPause;

    StoreLock::Patience patience(milliseconds limit, milliseconds interval)
    {
        return {limit, interval, [this] { return time; },
                [this](milliseconds step) {
                    ++pauses;
                    if (onPause)
                        onPause();
                    time += step;
                }};
    }
};

std::optional<StoreLock> tryAtOnce(const std::filesystem::path& file)
{
    return StoreLock::acquire(file, noWait());
}

bool takenByAnotherThread(const std::filesystem::path& file)
{
    bool taken = false;
    std::thread([&] { taken = tryAtOnce(file).has_value(); }).join();
    return taken;
}

} // namespace

TEST(StoreLock, AHolderInAnotherProcessIsWaitedForABoundedTimeAndItsEndOrDeathFreesTheLock)
{
    enum class During { nothing, holderEnds, holderKilled };
    struct Case {
        const char* name;
        During during; // what the holder does at the waiter's first pause
        bool acquired;
        int pauses;
    };
    const Case cases[] = {
        {"the holder keeps it: refused once the wait is over", During::nothing, false, 4},
        {"the holder ends during the wait", During::holderEnds, true, 1},
        {"the holder is killed during the wait", During::holderKilled, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto file = dir / "data/orvane.lock";
        Holder holder(file);
        ASSERT_TRUE(holder.holding());

        FakePatience fake;
        fake.onPause = [&] {
            if (fake.pauses == 1 && c.during == During::holderEnds)
                holder.end();
            if (fake.pauses == 1 && c.during == During::holderKilled)
                holder.kill();
        };
        const auto lock = StoreLock::acquire(file, fake.patience(milliseconds(200), milliseconds(50)));
        EXPECT_EQ(lock.has_value(), c.acquired);
        EXPECT_EQ(fake.pauses, c.pauses);
    }
}

TEST(StoreLock, TheHoldingThreadTakesItAgainButNoOtherThreadOrProcessDoesUntilTheLastHoldEnds)
{
    struct Case {
        const char* name;
        int holds;
        int released;
        bool othersTakeIt;
    };
    const Case cases[] = {
        {"not held", 0, 0, true},
        {"held once", 1, 0, false},
        {"held twice, one hold ended", 2, 1, false},
        {"held twice, both ended", 2, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto file = dir / "orvane.lock";
        std::vector<StoreLock> holds;
        for (int i = 0; i < c.holds; ++i) {
            auto lock = tryAtOnce(file); // no wait: a second hold of this thread never waits on itself
            ASSERT_TRUE(lock);
            holds.push_back(std::move(*lock));
        }
        for (int i = 0; i < c.released; ++i)
            holds.pop_back();
        EXPECT_EQ(takenByAnotherThread(file), c.othersTakeIt);
        EXPECT_EQ(Holder(file).holding(), c.othersTakeIt);
    }
}

TEST(StoreLock, ALockFileIsARegularFileOfItsOwnAndNeverFollowedThroughALink)
{
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path& file, const std::filesystem::path& target)> setup;
        bool acquired;
    };
    const Case cases[] = {
        {"nothing there yet, nor its folders", [](const auto&, const auto&) {}, true},
        {"a link to a file", [](const auto& file, const auto& target) {
             writeFile(target, "the user's");
             std::filesystem::create_directories(file.parent_path());
             std::filesystem::create_symlink(target, file);
         }, false},
        {"a dangling link", [](const auto& file, const auto& target) {
             std::filesystem::create_directories(file.parent_path());
             std::filesystem::create_symlink(target, file);
         }, false},
        {"a folder", [](const auto& file, const auto&) { std::filesystem::create_directories(file); }, false},
        {"a FIFO", [](const auto& file, const auto&) {
             std::filesystem::create_directories(file.parent_path());
             ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
         }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto file = dir / "data/orvane/orvane.lock";
        const auto target = dir / "target";
        c.setup(file, target);
        const bool targetExisted = std::filesystem::exists(target);
        if (c.acquired) {
            EXPECT_TRUE(tryAtOnce(file));
            struct stat st {};
            ASSERT_EQ(::lstat(file.c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_EQ(st.st_mode & 07777, 0600u);
        } else {
            EXPECT_THROW(tryAtOnce(file), std::system_error);
        }
        EXPECT_EQ(std::filesystem::exists(target), targetExisted);
        if (targetExisted) {
            EXPECT_EQ(readFile(target), QByteArray("the user's"));
        }
    }
}
