#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

struct SpaceAndTimes : ::testing::Test {
    RestoreLayout layout;
    std::shared_ptr<FaultyFileOperations> files = std::make_shared<FaultyFileOperations>();
    BackupStore store{layout.worldStore, files, layout.tmp};
    std::filesystem::path level = layout.saves / "World/level.dat";
    std::filesystem::path region = layout.saves / "World/region/r.0.0.mca";

    void writeWorld()
    {
        writeFile(level, "level v1");
        writeFile(region, QByteArray(200000, 'a'));
    }
    RestoreResult restore() { return store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves); }
};

std::int64_t modifiedNanoseconds(const std::filesystem::path& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

void setModified(const std::filesystem::path& path, std::int64_t seconds)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

} // namespace

TEST_F(SpaceAndTimes, AFullDiskSaysHowMuchToFreeAndWhereAndLeavesNothing)
{
    writeWorld();
    const BackupManifest first = store.createWorldBackup(layout.instance, "first");
    const auto worldBefore = treeOf(layout.saves);
    // 200,008 bytes in two files, two blocks each, and a margin for the records: 1.3 MB rounded up.
    const struct Case {
        const char* name;
        std::optional<std::uint64_t> available;
        QString freeAtLeast;
    } cases[] = {
        {"the disk cannot tell", std::nullopt, QStringLiteral("1.3 MB")},
        {"the disk says it has 300 KB", 300000, QStringLiteral("965 KB")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        files->reportAvailableBytes(c.available);
        files->failOn(Op::cloneOrCopy, 2, ENOSPC);
        EXPECT_EQ(orvaneErrorOf([&] { store.createWorldBackup(layout.instance, "second"); }),
                  ioError("There is not enough free space to back up the worlds: free at least " + c.freeAtLeast
                          + " on the disk that holds " + text(layout.worldStore)
                          + ", then try again. Nothing was backed up."));
        EXPECT_EQ(entriesOf(layout.worldStore), std::vector<std::filesystem::path>{layout.worldStore / first.id.toStdString()});

        writeFile(level, "level v2");
        files->failOn(Op::cloneOrCopy, 2, ENOSPC);
        EXPECT_EQ(orvaneErrorOf([&] { restore(); }),
                  ioError("There is not enough free space to restore the worlds: free at least " + c.freeAtLeast
                          + " on the disk that holds " + text(layout.instance)
                          + ", then try again. Nothing was replaced."));
        EXPECT_EQ(readFile(level), "level v2");
        EXPECT_TRUE(restoreLeftovers(layout.instance).empty());
        EXPECT_TRUE(entriesNamed(layout.tmp, ".orvane-restore-stage-").empty());
        writeFile(level, "level v1");
    }
    // Other failures pass through as the platform tells them.
    files->failOn(Op::cloneOrCopy, 1, EIO);
    EXPECT_THROW(store.createWorldBackup(layout.instance, "third"), std::system_error);
    EXPECT_EQ(treeOf(layout.saves), worldBefore);
}

TEST_F(SpaceAndTimes, ARestoreGivesEachFileTheModificationTimeItHadWhenBackedUp)
{
    writeWorld();
    const std::filesystem::path stats = layout.saves / "World/stats/player.json";
    writeFile(stats, "{}");
    setModified(level, 1700000000);
    setModified(region, 1700000100);
    setModified(stats, 1700000200);
    const std::map<std::filesystem::path, std::int64_t> backedUp{
        {level, modifiedNanoseconds(level)}, {region, modifiedNanoseconds(region)}, {stats, modifiedNanoseconds(stats)}};
    const BackupManifest backup = store.createWorldBackup(layout.instance, "times");
    EXPECT_EQ(modifiedNanoseconds(layout.worldStore / backup.id.toStdString() / "saves/World/level.dat"),
              backedUp.at(level));

    // Changed, unchanged and removed since the backup: each comes back with its own time.
    writeFile(level, "level v2");
    std::filesystem::remove(stats);
    restore();
    for (const auto& [file, modified] : backedUp) {
        SCOPED_TRACE(file.native());
        EXPECT_EQ(modifiedNanoseconds(file), modified);
    }
}
