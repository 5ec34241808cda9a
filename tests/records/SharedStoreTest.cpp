#include "records/BackupStore.h"
#include "records/BackupStoreTexts.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

using std::chrono::milliseconds;

std::vector<std::filesystem::path> undoFolders(const std::filesystem::path& tmp)
{
    return entriesNamed(tmp, "orvane-restore-undo-");
}

// A world restore in another process, stopped inside its commit (one file swapped, the next about to
// be) until the test lets it go on.
class RestoreInAnotherProcess final {
public:
    explicit RestoreInAnotherProcess(const RestoreLayout& layout)
    {
        int inside[2], resume[2];
        if (::pipe(inside) != 0 || ::pipe(resume) != 0)
            throw std::runtime_error("pipe");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(inside[0]);
            ::close(resume[1]);
            try {
                BackupStore store(layout.worldStore, FileOperations::system(), layout.tmp);
                int commits = 0;
                store.setRestoreCheckpoint([&](const RestoreCheckpoint& point) {
                    if (point.kind != RestoreCheckpoint::Kind::beforeAtomicCommit || ++commits != 2)
                        return;
                    char signal = 'c', ignored;
                    if (::write(inside[1], &signal, 1) != 1)
                        ::_exit(2);
                    while (::read(resume[0], &ignored, 1) < 0 && errno == EINTR) {
                    }
                });
                store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(inside[1]);
        ::close(resume[0]);
        m_resume = resume[1];
        char signal = 0;
        m_inside = ::read(inside[0], &signal, 1) == 1;
        ::close(inside[0]);
    }
    ~RestoreInAnotherProcess()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            finish();
        }
    }

    bool inside() const { return m_inside; }
    // Lets the restore go on and returns its exit code (0: it finished).
    int finish()
    {
        if (m_resume >= 0)
            ::close(std::exchange(m_resume, -1));
        int status = 0;
        const bool reaped = m_pid > 0 && ::waitpid(std::exchange(m_pid, -1), &status, 0) > 0;
        return reaped && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_resume = -1;
    bool m_inside = false;
};

} // namespace

TEST(SharedStore, AnOperationDuringAnotherProcesssRestoreWaitsForItOrRefusesAndBothLeaveEveryFileWhole)
{
    enum class Operation { worldBackup, worldRestore, overlaySnapshot };
    struct Case {
        const char* name;
        Operation operation;
        bool restoreEndsDuringTheWait;
    };
    const Case cases[] = {
        {"a world backup refused", Operation::worldBackup, false},
        {"a second world restore refused", Operation::worldRestore, false},
        {"an overlay snapshot refused: the stores share one lock", Operation::overlaySnapshot, false},
        {"a world backup that waits records the restored world", Operation::worldBackup, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreLayout layout;
        const auto level = layout.saves / "World/level.dat";
        const auto region = layout.saves / "World/region/r.0.0.mca";
        const auto options = layout.instance / "options.txt";
        const QByteArray backedLevel = "level v1", backedRegion(3000, 'a');
        const QByteArray playedLevel = "level v2", playedRegion(2000, 'b');
        writeFile(level, backedLevel);
        writeFile(region, backedRegion);
        writeFile(options, "fov:70");
        BackupStore(layout.worldStore, FileOperations::system(), layout.tmp).createWorldBackup(layout.instance, "w");
        writeFile(level, playedLevel);
        writeFile(region, playedRegion);

        RestoreInAnotherProcess restore(layout);
        ASSERT_TRUE(restore.inside());
        const auto undo = undoFolders(layout.tmp);
        ASSERT_EQ(undo.size(), 1u);

        int pauses = 0, restoreExit = -1;
        std::chrono::steady_clock::time_point time{};
        StoreLock::Patience patience{milliseconds(200), milliseconds(50), [&] { return time; },
                                     [&](milliseconds step) {
                                         if (++pauses == 1 && c.restoreEndsDuringTheWait)
                                             restoreExit = restore.finish();
                                         time += step;
                                     }};
        BackupStore world(layout.worldStore, FileOperations::system(), layout.tmp);
        world.setLockPatience(patience);
        BackupStore overlay(layout.backups, FileOperations::system(), layout.tmp);
        overlay.setLockPatience(patience);
        const std::function<void()> operation = [&] {
            switch (c.operation) {
            case Operation::worldBackup:
                world.createWorldBackup(layout.instance, "second");
                break;
            case Operation::worldRestore:
                world.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
                break;
            case Operation::overlaySnapshot:
                overlay.createBackup({options}, layout.instance, BackupKind::manual, "m", {});
                break;
            }
        };

        if (c.restoreEndsDuringTheWait) {
            ASSERT_NO_THROW(operation());
            EXPECT_EQ(restoreExit, 0);
            const auto backups = world.listBackups();
            ASSERT_EQ(backups.size(), 2u);
            const auto newest = backups.front().directory;
            EXPECT_EQ(readFile(newest / "saves/World/level.dat"), backedLevel);
            EXPECT_EQ(readFile(newest / "saves/World/region/r.0.0.mca"), backedRegion);
        } else {
            EXPECT_EQ(orvaneErrorOf(operation), ioError(backupTexts::storeBusy));
            EXPECT_EQ(pauses, 4);
            // The running restore's undo data is untouched and nothing new was made.
            EXPECT_EQ(undoFolders(layout.tmp), undo);
            EXPECT_EQ(readFile(undo[0] / "saves/World/level.dat"), playedLevel);
            EXPECT_EQ(readFile(undo[0] / "saves/World/region/r.0.0.mca"), playedRegion);
            EXPECT_EQ(entriesOf(layout.worldStore).size(), 1u);
            EXPECT_EQ(entriesOf(layout.backups), std::vector<std::filesystem::path>{layout.worldStore});
            EXPECT_EQ(restore.finish(), 0);
        }
        // The restore finished as if alone: every file whole, its undo data gone only now.
        EXPECT_EQ(readFile(level), backedLevel);
        EXPECT_EQ(readFile(region), backedRegion);
        EXPECT_EQ(readFile(options), QByteArray("fov:70"));
        EXPECT_TRUE(undoFolders(layout.tmp).empty());
        EXPECT_TRUE(restoreLeftovers(layout.instance).empty());
    }
}

TEST(SharedStore, ALockFileThatCannotBeUsedRefusesTheBackupNamingItAndFollowsNoLink)
{
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path& lockFile, const std::filesystem::path& elsewhere)> setup;
        const char* reason;
    };
    const Case cases[] = {
        {"a link to a file elsewhere", [](const auto& lockFile, const auto& elsewhere) {
             writeFile(elsewhere, "the user's");
             std::filesystem::create_symlink(elsewhere, lockFile);
         }, "Too many levels of symbolic links"},
        {"a folder", [](const auto& lockFile, const auto&) { std::filesystem::create_directories(lockFile); },
         "Is a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreLayout layout;
        writeFile(layout.saves / "World/level.dat", "level");
        BackupStore store(layout.worldStore, FileOperations::system(), layout.tmp);
        const auto lockFile = layout.tmp.parent_path() / "orvane.lock";
        EXPECT_EQ(store.lockFile(), lockFile);
        std::filesystem::create_directories(lockFile.parent_path());
        c.setup(lockFile, layout.home / "elsewhere");

        EXPECT_EQ(orvaneErrorOf([&] { store.createWorldBackup(layout.instance, "w"); }),
                  ioError(QStringLiteral("Orvane could not lock its backups with %1 (%2). Nothing was changed.")
                              .arg(text(lockFile), QString::fromUtf8(c.reason))));
        EXPECT_TRUE(entriesOf(layout.worldStore).empty());
        if (std::filesystem::exists(layout.home / "elsewhere")) {
            EXPECT_EQ(readFile(layout.home / "elsewhere"), QByteArray("the user's"));
        }
    }
}

TEST(SharedStore, ALockFileDeletedWhileARestoreHoldsItLetsNoSecondOperationInBesideIt)
{
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path& lockFile)> meddle;
        bool inThisProcess; // the second comes from another thread of this process, else another process
    };
    const Case cases[] = {
        {"deleted: another process's world backup refused", [](const auto& file) { std::filesystem::remove(file); },
         false},
        {"deleted and made again: another process's world backup refused",
         [](const auto& file) {
             std::filesystem::remove(file);
             writeFile(file, "");
         },
         false},
        {"deleted: another thread's world backup refused", [](const auto& file) { std::filesystem::remove(file); },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreLayout layout;
        const auto level = layout.saves / "World/level.dat";
        const auto region = layout.saves / "World/region/r.0.0.mca";
        writeFile(level, "level v1");
        writeFile(region, QByteArray(3000, 'a'));
        BackupStore(layout.worldStore, FileOperations::system(), layout.tmp).createWorldBackup(layout.instance, "w");
        writeFile(level, "level v2");
        writeFile(region, QByteArray(2000, 'b'));

        RestoreInAnotherProcess restore(layout);
        ASSERT_TRUE(restore.inside());
        const auto undo = undoFolders(layout.tmp);
        ASSERT_EQ(undo.size(), 1u);
        BackupStore world(layout.worldStore, FileOperations::system(), layout.tmp);
        c.meddle(world.lockFile());

        StoreLock::Patience patience{milliseconds(0), milliseconds(50), {}, {}};
        world.setLockPatience(patience);
        std::pair<OrvaneError::Kind, QString> refusal;
        const auto backUp = [&] { refusal = orvaneErrorOf([&] { world.createWorldBackup(layout.instance, "second"); }); };
        if (c.inThisProcess) {
            std::thread(backUp).join();
        } else {
            const pid_t pid = ::fork();
            if (pid == 0) {
                backUp();
                ::_exit(refusal == ioError(backupTexts::storeBusy) ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            refusal = ioError(backupTexts::storeBusy);
        }
        EXPECT_EQ(refusal, ioError(backupTexts::storeBusy));
        // The running restore's undo data is untouched and no backup recorded its half-done world.
        EXPECT_EQ(undoFolders(layout.tmp), undo);
        EXPECT_EQ(readFile(undo[0] / "saves/World/level.dat"), "level v2");
        EXPECT_EQ(world.listBackups().size(), 1u);

        EXPECT_EQ(restore.finish(), 0);
        EXPECT_EQ(readFile(level), "level v1");
        EXPECT_EQ(readFile(region), QByteArray(3000, 'a'));
        EXPECT_TRUE(undoFolders(layout.tmp).empty());
        // Once it is done, the next backup goes ahead and records the restored world.
        world.createWorldBackup(layout.instance, "after");
        EXPECT_EQ(world.listBackups().size(), 2u);
    }
}
