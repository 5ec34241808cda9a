#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

constexpr int kKilled = 86;

// Runs a world restore in a child process that ends abruptly (_exit, no unwinding, no clean-up) at the
// `killAt`-th event of the commit phase: a checkpoint or any file operation from the first commit on.
// Returns the child's exit code: kKilled, 0 when the restore finished first, 1 when it failed.
int restoreInChildKilledAt(const RestoreLayout& layout, int killAt)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        // Never return into the test framework from here.
        try {
            auto files = std::make_shared<FaultyFileOperations>();
            BackupStore store(layout.worldStore, files, layout.tmp);
            bool committing = false;
            int events = 0;
            auto event = [&] {
                if (committing && ++events == killAt)
                    ::_exit(kKilled);
            };
            store.setRestoreCheckpoint([&](const RestoreCheckpoint&) {
                committing = true;
                event();
            });
            files->beforeEach = [&](FaultyFileOperations::Op, const std::filesystem::path&) { event(); };
            store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

std::vector<std::filesystem::path> undoFolders(const std::filesystem::path& tmp)
{
    return entriesNamed(tmp, "orvane-restore-undo-");
}

} // namespace

TEST(RestoreCrash, AProcessDyingAnywhereInTheCommitsLosesNothingAndASecondRestoreSucceeds)
{
    RestoreLayout layout;
    const auto level = layout.saves / "World/level.dat";
    const auto region = layout.saves / "World/region/r.0.0.mca";
    const auto stats = layout.saves / "World/stats/player.json";
    const auto added = layout.saves / "World/added.dat";
    const QByteArray backedLevel = "level v1", backedRegion(300000, 'a'), backedStats = "{}";
    const QByteArray oldLevel = "level v2 after the backup", oldRegion(250000, 'b');

    writeFile(level, backedLevel);
    writeFile(region, backedRegion);
    writeFile(stats, backedStats);
    BackupStore store(layout.worldStore, FileOperations::system(), layout.tmp);
    const BackupManifest backup = store.createWorldBackup(layout.instance, "World backup.");
    const auto snapshot = layout.worldStore / backup.id.toStdString();
    writeFile(added, "added later");

    int killed = 0;
    for (int killAt = 1;; ++killAt) {
        SCOPED_TRACE(testing::Message() << "killed at event " << killAt);
        ASSERT_LT(killAt, 200);
        // The world as the user left it.
        std::filesystem::remove_all(layout.tmp);
        writeFile(level, oldLevel);
        writeFile(region, oldRegion);
        std::filesystem::remove(stats);

        const int code = restoreInChildKilledAt(layout, killAt);
        ASSERT_TRUE(code == kKilled || code == 0) << "child ended with " << code;

        // Every file holds either its old bytes or the backed-up bytes.
        const QByteArray levelNow = readFile(level), regionNow = readFile(region);
        EXPECT_TRUE(levelNow == oldLevel || levelNow == backedLevel);
        EXPECT_TRUE(regionNow == oldRegion || regionNow == backedRegion);
        EXPECT_TRUE(!std::filesystem::exists(stats) || readFile(stats) == backedStats);
        EXPECT_EQ(readFile(added), "added later");
        EXPECT_TRUE(restoreLeftovers(layout.instance).empty()); // nothing half-made among the user's files

        // The undo files still hold the old bytes until every file holds the backed-up ones.
        const bool allRestored = levelNow == backedLevel && regionNow == backedRegion && std::filesystem::exists(stats);
        const auto undo = undoFolders(layout.tmp);
        ASSERT_EQ(undo.size(), code == 0 ? 0u : 1u);
        if (code != 0) {
            const auto undoLevel = undo[0] / "saves/World/level.dat";
            const auto undoRegion = undo[0] / "saves/World/region/r.0.0.mca";
            if (!allRestored || std::filesystem::exists(undoLevel)) {
                EXPECT_EQ(readFile(undoLevel), oldLevel);
            }
            if (!allRestored || std::filesystem::exists(undoRegion)) {
                EXPECT_EQ(readFile(undoRegion), oldRegion);
            }
        }
        EXPECT_NO_THROW(store.verifySnapshot(backup, snapshot));

        // A second restore succeeds.
        const auto result = store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
        EXPECT_EQ(result.restoredFiles.size(), 3u);
        EXPECT_EQ(readFile(level), backedLevel);
        EXPECT_EQ(readFile(region), backedRegion);
        EXPECT_EQ(readFile(stats), backedStats);
        EXPECT_EQ(readFile(added), "added later");

        if (code == 0)
            break;
        ++killed;
    }
    // Six checkpoints and the renames, removals and clean-up between them.
    EXPECT_GE(killed, 10);
}
