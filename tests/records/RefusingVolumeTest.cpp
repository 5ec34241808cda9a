#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "InterruptedWorld.h"
#include "KilledChild.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

// File operations of a volume that refuses what FAT and exFAT (hard links, exchanges), NTFS
// (exchanges) or the kernel's protected hard links (links to another user's file) refuse.
std::shared_ptr<FaultyFileOperations> refusing(bool links, bool exchanges)
{
    auto files = std::make_shared<FaultyFileOperations>();
    if (links)
        files->failFrom(Op::hardLink, 1, EPERM);
    if (exchanges)
        files->failFrom(Op::swap, 1, EINVAL);
    return files;
}

struct RefusingVolume : InterruptedWorld {
    RestoreResult restore(const std::shared_ptr<FileOperations>& files)
    {
        return store(files).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
    }
};

} // namespace

TEST_F(RefusingVolume, RefusedLinksOrExchangesStillRestoreEveryFileAndAKillAtAnyStepIsFinishedOrUndone)
{
    const struct Case {
        const char* name;
        bool links, exchanges;
    } cases[] = {
        {"no hard links (protected hard links)", true, false},
        {"no exchange (NTFS)", false, true},
        {"neither (FAT, exFAT)", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto volume = refusing(c.links, c.exchanges);
        startCase();
        restore(volume);
        EXPECT_EQ(world(), backedUp);
        EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});

        // Stopped before its last file, the restore puts the first two back the same way.
        startCase();
        BackupStore stopped = store(volume);
        stopped.setRestoreCheckpoint([](const RestoreCheckpoint& point) {
            if (point.kind == RestoreCheckpoint::Kind::beforeAtomicCommit && point.index == 2)
                throw std::runtime_error("stopped");
        });
        EXPECT_THROW(stopped.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves), std::runtime_error);
        EXPECT_EQ(world(), changed);
        EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});

        // Killed right before each rename, link or exchange of the restore in turn, until one runs to its
        // end: the next backup finishes or undoes it, and never records a mixed world.
        int killedRuns = 0;
        for (int step = 1; step < 100; ++step) {
            SCOPED_TRACE(step);
            startCase();
            auto calls = std::make_shared<int>(0);
            const bool killed = killedWhen(
                [=](Op op, const std::filesystem::path&) {
                    return (op == Op::swap || op == Op::moveNoReplace || op == Op::hardLink) && ++*calls == step;
                },
                [&](const auto& files) { restore(files); }, volume);
            if (!killed) {
                EXPECT_EQ(world(), backedUp);
                break;
            }
            ++killedRuns;
            // Every other time the backup is gone by then, and the restore can only be undone.
            const bool backupGone = step % 2 == 0;
            if (backupGone)
                std::filesystem::remove_all(layout.worldStore / backup.id.toStdString());
            const BackupManifest after = store(volume).createWorldBackup(layout.instance, "after");
            const auto now = world();
            if (backupGone)
                EXPECT_EQ(now, changed);
            else
                EXPECT_TRUE(now == backedUp || now == changed) << "a mixed world after a kill";
            auto left = workLeft();
            // A probe cut off while staging holds the bytes of a backup: gone with it, they are no one's
            // to remove (as with a linked probe), and every backup leaves them out.
            if (backupGone)
                std::erase_if(left, [](const auto& item) {
                    return item.filename().native().rfind(".orvane-restore-probe-", 0) == 0;
                });
            EXPECT_EQ(left, std::vector<std::filesystem::path>{});
            for (const auto& probe : namedBelow(layout.saves, ".orvane-restore-probe-"))
                std::filesystem::remove(probe);
            std::filesystem::remove_all(layout.worldStore / after.id.toStdString());
        }
        EXPECT_GT(killedRuns, 3);
    }
}

TEST_F(RefusingVolume, ARestoreThatCannotGoOnSaysWhichFileAndWhyBeforeReplacingAnything)
{
    const struct Case {
        const char* name;
        Op op;
        int error;
        QString sentence;
    } cases[] = {
        {"the prior bytes cannot be read for a copy", Op::cloneOrCopy, EACCES,
         "Orvane cannot restore " + text(villages)
             + ": it may not read that world file as it is now, so it could not put it back if the restore were "
               "cut short. Nothing was replaced."},
        {"nothing may be moved into the folder", Op::moveNoReplace, EACCES,
         "Orvane cannot restore " + text(villages)
             + ": it may not put files in that world file's folder. Nothing was replaced."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startCase();
        const auto volume = refusing(true, true);
        volume->failOn(c.op, 1, c.error);
        EXPECT_EQ(orvaneErrorOf([&] { restore(volume); }), ioError(c.sentence));
        EXPECT_EQ(world(), changed);
        EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});
        // Once allowed, the same restore goes through.
        restore(refusing(true, true));
        EXPECT_EQ(world(), backedUp);
    }
}

TEST(RealFatVolume, AWorldKeptOnAFatOrExfatDriveBacksUpAndRestores)
{
    // A loop volume needs root, the formatting tool and the kernel's driver: skipped where one is missing.
    TempDir dir;
    const auto image = dir / "drive.img", mountPoint = dir / "drive";
    std::filesystem::create_directories(mountPoint);
    const auto run = [](const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; };
    std::string kind;
    for (const std::string candidate : {"vfat", "exfat"}) {
        if (run("truncate -s 64M '" + image.native() + "' && mkfs." + candidate + " '" + image.native() + "' && mount -o loop -t "
                + candidate + " '" + image.native() + "' '" + mountPoint.native() + "'")) {
            kind = candidate;
            break;
        }
    }
    if (kind.empty())
        GTEST_SKIP() << "no FAT or exFAT loop volume can be made and mounted here (root, mkfs.vfat or mkfs.exfat and "
                        "the kernel's driver are needed)";
    struct Unmount {
        std::filesystem::path at;
        ~Unmount() { std::system(("umount '" + at.native() + "' >/dev/null 2>&1").c_str()); }
    } unmount{mountPoint};

    const auto instance = mountPoint / "modpacks/tekkit-2";
    const auto level = instance / "saves/World/level.dat", region = instance / "saves/World/region/r.0.0.mca";
    writeFile(level, "level v1");
    writeFile(region, QByteArray(100000, 'a'));
    BackupStore store(dir / "backups/saves", FileOperations::system(), dir / "tmp");
    store.createWorldBackup(instance, "w");
    writeFile(level, "level v2");
    std::filesystem::remove(region);
    writeFile(instance / "saves/World/added.dat", "new");
    const RestoreResult result = store.restoreLatestBackup(instance, std::nullopt, BackupKind::saves);
    EXPECT_EQ(result.verification.verifiedFileCount, 2) << kind;
    EXPECT_EQ(readFile(level), "level v1");
    EXPECT_EQ(readFile(region), QByteArray(100000, 'a'));
    EXPECT_TRUE(restoreLeftovers(instance).empty());
}
