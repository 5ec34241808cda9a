#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "records/WorldBackupLimits.h"

#include "support/QtPrinters.h"

#include "BackupLayout.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;

namespace {

template <class F>
QString failureOf(F&& f)
{
    try {
        f();
    } catch (const OrvaneError& e) {
        EXPECT_EQ(e.kind(), OrvaneError::Kind::backupCorrupt);
        return e.text();
    }
    return QStringLiteral("<accepted>");
}

struct VerificationFixture : ::testing::Test {
    BackupLayout layout;
    BackupStore store{layout.backups, FileOperations::system()};
    BackupManifest manifest;
    std::filesystem::path folder;

    VerificationFixture()
    {
        writeFile(layout.instance / "options.txt", "a=1\n");
        writeFile(layout.instance / "bin/runData", "{}");
        manifest = store.createBackup({layout.instance / "options.txt", layout.instance / "bin/runData"}, layout.instance,
                                      BackupKind::manual, "n", {});
        folder = layout.backups / manifest.id.toStdString();
    }

    QString verify(const BackupManifest& m) { return failureOf([&] { store.verifySnapshot(m, folder); }); }
};

BackupFile record(std::int64_t bytes, QString relative = "f")
{
    return BackupFile{relative, "/i/" + relative, QString(64, u'0'), bytes};
}

} // namespace

TEST_F(VerificationFixture, ChangedMissingOrMiscountedCopiesFail)
{
    EXPECT_EQ(verify(manifest), QStringLiteral("<accepted>"));

    writeFile(folder / "bin/runData", "{ }");
    EXPECT_EQ(verify(manifest), QStringLiteral("hash mismatch bin/runData"));
    std::filesystem::remove(folder / "bin/runData");
    EXPECT_EQ(verify(manifest), QStringLiteral("missing bin/runData"));

    BackupManifest m = manifest;
    m.files.pop_back();
    m.files[0].byteCount = 5;
    EXPECT_EQ(verify(m), QStringLiteral("byte count mismatch options.txt"));
    m.files[0].byteCount = -4;
    EXPECT_EQ(verify(m), QStringLiteral("byte count mismatch options.txt"));
}

TEST_F(VerificationFixture, UnsafeOrLinkedPathsFailBeforeAnythingIsRead)
{
    BackupManifest m = manifest;
    m.files.pop_back();
    for (const char* bad : {"../options.txt", "/etc/passwd", "a//b", "./options.txt", ""}) {
        m.files[0].relativePath = bad;
        EXPECT_EQ(verify(m), QStringLiteral("unsafe relative path ") + bad);
    }

    // A copy replaced by a link to identical bytes still fails.
    std::filesystem::rename(folder / "options.txt", layout.home / "outside");
    std::filesystem::create_symlink(layout.home / "outside", folder / "options.txt");
    m.files[0].relativePath = "options.txt";
    EXPECT_EQ(verify(m), QStringLiteral("backup path contains a symbolic link"));

    std::filesystem::remove_all(folder / "bin");
    std::filesystem::create_directory_symlink(layout.instance / "bin", folder / "bin");
    EXPECT_EQ(verify(manifest), QStringLiteral("backup path contains a symbolic link"));
}

TEST_F(VerificationFixture, ASpecialFileAtACopyPathFailsWithoutHanging)
{
    std::filesystem::remove(folder / "options.txt");
    ASSERT_EQ(::mkfifo((folder / "options.txt").c_str(), 0600), 0);
    EXPECT_EQ(verify(manifest), QStringLiteral("hash mismatch options.txt"));
}

TEST_F(VerificationFixture, TheFolderMustLieInsideTheStoreWithoutLinks)
{
    EXPECT_EQ(failureOf([&] { store.verifySnapshot(manifest, layout.instance); }),
              QStringLiteral("snapshot directory escapes the backup store"));
    EXPECT_EQ(failureOf([&] { store.verifySnapshot(manifest, layout.backups); }),
              QStringLiteral("snapshot directory escapes the backup store"));
    EXPECT_EQ(failureOf([&] { store.verifySnapshot(manifest, layout.backups / "x/../.." / layout.backups.filename() / manifest.id.toStdString()); }),
              QStringLiteral("<accepted>"));
    std::filesystem::create_directory_symlink(folder, layout.backups / "alias");
    EXPECT_EQ(failureOf([&] { store.verifySnapshot(manifest, layout.backups / "alias"); }),
              QStringLiteral("snapshot directory escapes the backup store"));
}

TEST_F(VerificationFixture, ALinkAtAnyLevelOfADeepSnapshotFailsBothChecks)
{
    writeFile(layout.saves / "World/DIM-1/region/r.0.0.mca", "region");
    writeFile(layout.saves / "World/DIM-1/region/r.0.1.mca", "other");
    writeFile(layout.saves / "World/level.dat", "level");
    BackupStore worlds(layout.worldStore, FileOperations::system());
    const BackupManifest world = worlds.createWorldBackup(layout.instance, "w");
    const auto snapshot = layout.worldStore / world.id.toStdString();
    const std::filesystem::path elsewhere = layout.home / "elsewhere";
    std::filesystem::copy(snapshot, elsewhere, std::filesystem::copy_options::recursive);
    const std::filesystem::path pristine = layout.home / "pristine";
    std::filesystem::copy(snapshot, pristine, std::filesystem::copy_options::recursive);

    struct Case {
        const char* linked; // replaced by a link to the same item elsewhere
        const char* failure;
    };
    const Case cases[] = {
        {"", "<accepted>"},
        {"saves", "backup path contains a symbolic link"},
        {"saves/World", "backup path contains a symbolic link"},
        {"saves/World/DIM-1", "backup path contains a symbolic link"},
        {"saves/World/DIM-1/region", "backup path contains a symbolic link"},
        {"saves/World/DIM-1/region/r.0.1.mca", "backup path contains a symbolic link"},
        {"saves/World/level.dat", "backup path contains a symbolic link"},
    };
    for (const auto check : {BackupStore::SnapshotCheck::digests, BackupStore::SnapshotCheck::sizes}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.linked) + (check == BackupStore::SnapshotCheck::sizes ? " (sizes)" : " (digests)"));
            std::filesystem::remove_all(snapshot);
            std::filesystem::copy(pristine, snapshot, std::filesystem::copy_options::recursive);
            if (*c.linked) {
                std::filesystem::remove_all(snapshot / c.linked);
                std::filesystem::create_symlink(elsewhere / c.linked, snapshot / c.linked);
            }
            EXPECT_EQ(failureOf([&] { worlds.verifySnapshot(world, snapshot, check); }), QString::fromUtf8(c.failure));
        }
    }
}

TEST_F(VerificationFixture, WorldManifestsNeedFilesAndNoCreatedPaths)
{
    BackupManifest m = manifest;
    m.kind = BackupKind::saves;
    m.files.clear();
    EXPECT_EQ(verify(m), QStringLiteral("world backup has invalid manifest bounds"));
    m = manifest;
    m.kind = BackupKind::saves;
    m.createdPaths = {pathText(layout.instance / "new")};
    EXPECT_EQ(verify(m), QStringLiteral("world backup has invalid manifest bounds"));

    // An overlay snapshot of nothing is fine.
    m = manifest;
    m.files.clear();
    EXPECT_EQ(verify(m), QStringLiteral("<accepted>"));
}

TEST(ByteBounds, NegativeOverflowAndWorldLimits)
{
    BackupManifest m;
    m.kind = BackupKind::manual;
    EXPECT_EQ(BackupStore::checkByteBounds(m), 0u);
    m.files = {record(3), record(-1, "minus")};
    EXPECT_EQ(failureOf([&] { BackupStore::checkByteBounds(m); }), QStringLiteral("negative byte count minus"));
    m.files = {record(INT64_MAX), record(INT64_MAX), record(2)};
    EXPECT_EQ(failureOf([&] { BackupStore::checkByteBounds(m); }), QStringLiteral("backup byte count overflow"));
    m.files = {record(INT64_MAX), record(INT64_MAX), record(1)};
    EXPECT_EQ(BackupStore::checkByteBounds(m), UINT64_MAX);

    // Other kinds have no size limit; world backups stop at 64 GiB per file and 2 TiB in all.
    m.files = {record(WorldBackupLimits::maxFileBytes + 1)};
    EXPECT_NO_THROW(BackupStore::checkByteBounds(m));
    m.kind = BackupKind::saves;
    EXPECT_EQ(failureOf([&] { BackupStore::checkByteBounds(m); }), QStringLiteral("world backup exceeds its byte limits"));
    m.files.assign(32, record(WorldBackupLimits::maxFileBytes));
    EXPECT_EQ(BackupStore::checkByteBounds(m), std::uint64_t(WorldBackupLimits::maxTotalBytes));
    m.files.push_back(record(1));
    EXPECT_EQ(failureOf([&] { BackupStore::checkByteBounds(m); }), QStringLiteral("world backup exceeds its byte limits"));
}

TEST(RelativePathSafety, RefusesEmptyAbsoluteAndDotPieces)
{
    for (const char* bad : {"", "/a", "a/", "a//b", "./a", "a/../b", "..", "a/."})
        EXPECT_FALSE(BackupStore::isSafeRelativeBackupPath(bad)) << bad;
    for (const char* good : {"saves/World/level.dat", "technic-root/settings.json", "a..b", "x.y/z", ".hidden", "a\\..\\b"})
        EXPECT_TRUE(BackupStore::isSafeRelativeBackupPath(good)) << good;
}

TEST(SymbolicLinkTest, AnyLinkBelowTheRootOrAPathOutsideIt)
{
    TempDir dir;
    writeFile(dir / "root/a/b/file", "x");
    std::filesystem::create_directory_symlink(dir / "root/a", dir / "root/link");
    std::filesystem::create_directory_symlink(dir / "root", dir / "rootLink");

    EXPECT_FALSE(BackupStore::pathContainsSymbolicLink(dir / "root/a/b/file", dir / "root"));
    EXPECT_FALSE(BackupStore::pathContainsSymbolicLink(dir / "root/a/missing/deeper", dir / "root"));
    EXPECT_TRUE(BackupStore::pathContainsSymbolicLink(dir / "root/link/b/file", dir / "root"));
    EXPECT_TRUE(BackupStore::pathContainsSymbolicLink(dir / "root/link", dir / "root"));
    EXPECT_TRUE(BackupStore::pathContainsSymbolicLink(dir / "root", dir / "root"));
    EXPECT_TRUE(BackupStore::pathContainsSymbolicLink(dir / "rootx/a", dir / "root"));
    EXPECT_TRUE(BackupStore::pathContainsSymbolicLink(dir / "root/../other", dir / "root"));
    // The root itself is not tested.
    EXPECT_FALSE(BackupStore::pathContainsSymbolicLink(dir / "rootLink/a/b/file", dir / "rootLink"));
}
