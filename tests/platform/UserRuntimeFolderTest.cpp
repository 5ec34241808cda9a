#include "platform/ExclusiveFileLock.h"
#include "platform/PathText.h"
#include "platform/UserRuntimeFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using orvane::test::TempDir;
using orvane::test::writeFile;

namespace {

mode_t modeOf(const std::filesystem::path& path)
{
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

void makeFolder(const std::filesystem::path& path, mode_t mode)
{
    std::filesystem::create_directories(path);
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

// Whether another open of `path` could take the lock now.
bool lockIsFree(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    EXPECT_GE(fd, 0);
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

} // namespace

TEST(UserRuntimeFolder, IsThePrivateSessionFolderWhenTrustworthyElseAPrivateFolderOfOurOwnAndNeverALink)
{
    const QString uid = QString::number(::geteuid());
    struct Case {
        const char* name;
        // Prepares the temporary folder; returns XDG_RUNTIME_DIR (empty: unset).
        std::function<QString(const std::filesystem::path&)> prepare;
        // Relative to the temporary folder; nothing: refused.
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"a private runtime folder",
         [](const std::filesystem::path& base) {
             makeFolder(base / "run", 0700);
             return pathText(base / "run");
         },
         QStringLiteral("run/orvane")},
        {"a runtime folder others may read but not write",
         [](const std::filesystem::path& base) {
             makeFolder(base / "run", 0755);
             return pathText(base / "run");
         },
         QStringLiteral("run/orvane")},
        {"no runtime folder named", [](const std::filesystem::path&) { return QString(); },
         QStringLiteral("tmp/orvane-") + uid},
        {"a relative runtime folder",
         [](const std::filesystem::path& base) {
             makeFolder(base / "run", 0700);
             return QStringLiteral("run");
         },
         QStringLiteral("tmp/orvane-") + uid},
        {"a runtime folder anyone may write to",
         [](const std::filesystem::path& base) {
             makeFolder(base / "run", 0777);
             return pathText(base / "run");
         },
         QStringLiteral("tmp/orvane-") + uid},
        {"a runtime folder that is missing",
         [](const std::filesystem::path& base) { return pathText(base / "gone"); },
         QStringLiteral("tmp/orvane-") + uid},
        {"an earlier private folder left too wide",
         [uid](const std::filesystem::path& base) {
             makeFolder(base / "tmp" / ("orvane-" + uid.toStdString()), 0777);
             return QString();
         },
         QStringLiteral("tmp/orvane-") + uid},
        {"a link planted where the private folder goes",
         [uid](const std::filesystem::path& base) {
             makeFolder(base / "elsewhere", 0700);
             std::filesystem::create_directory_symlink(base / "elsewhere",
                                                       base / "tmp" / ("orvane-" + uid.toStdString()));
             return QString();
         },
         std::nullopt},
        {"a file planted where the private folder goes",
         [uid](const std::filesystem::path& base) {
             writeFile(base / "tmp" / ("orvane-" + uid.toStdString()), "x");
             return QString();
         },
         std::nullopt},
        {"a link planted in the runtime folder",
         [](const std::filesystem::path& base) {
             makeFolder(base / "run", 0700);
             makeFolder(base / "elsewhere", 0700);
             std::filesystem::create_directory_symlink(base / "elsewhere", base / "run" / "orvane");
             return pathText(base / "run");
         },
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directories(dir / "tmp");
        ProcessEnvironment environment{{QStringLiteral("TMPDIR"), pathText(dir / "tmp")}};
        if (const QString runtime = c.prepare(dir.path()); !runtime.isEmpty())
            environment[QStringLiteral("XDG_RUNTIME_DIR")] = runtime;

        if (!c.expected) {
            EXPECT_THROW(userRuntimeFolder(environment, QStringLiteral("orvane")), std::system_error);
            continue;
        }
        const std::filesystem::path folder = userRuntimeFolder(environment, QStringLiteral("orvane"));
        EXPECT_EQ(folder, dir / pathFromText(*c.expected));
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::symlink_status(folder)));
        EXPECT_EQ(modeOf(folder), 0700u);
    }
}

TEST(ExclusiveFileLock, KeepsEveryOtherHolderOutUntilItEndsAndRefusesALink)
{
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> prepare;
        bool refused;
        bool created = false; // made by the lock: private to its owner
    };
    const Case cases[] = {
        {"no lock file yet", [](const std::filesystem::path&) {}, false, true},
        {"a lock file left by an earlier holder", [](const std::filesystem::path& lock) { writeFile(lock, ""); },
         false},
        {"a link in the lock file's place",
         [](const std::filesystem::path& lock) {
             writeFile(lock.parent_path() / "target", "");
             std::filesystem::create_symlink(lock.parent_path() / "target", lock);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::filesystem::path lock = dir / "instance.lock";
        c.prepare(lock);
        if (c.refused) {
            EXPECT_THROW(ExclusiveFileLock{lock}, std::system_error);
            continue;
        }
        {
            const ExclusiveFileLock held(lock);
            if (c.created) {
                EXPECT_EQ(modeOf(lock), 0600u);
            }
            EXPECT_FALSE(lockIsFree(lock));
        }
        EXPECT_TRUE(lockIsFree(lock));
    }
}
