#include "model/FileDigest.h"
#include "platform/PathText.h"
#include "model/OrvaneError.h"
#include "records/BackupStore.h"
#include "records/WorldBackupLimits.h"
#include "records/WorldSaveScanner.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "BackupLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

struct WorldFixture : ::testing::Test {
    BackupLayout layout;
    std::shared_ptr<FaultyFileOperations> files = std::make_shared<FaultyFileOperations>();
    BackupStore store{layout.worldStore, files};

    void writeWorld()
    {
        writeFile(layout.saves / "World/level.dat", "level");
        writeFile(layout.saves / "World/region/r.0.0.mca", QByteArray(300000, 'r'));
        writeFile(layout.saves / "World/.session.lock", "lock");
        writeFile(layout.saves / ".hidden/notes", "n");
        writeFile(layout.saves / "Another World/DIM-1/data/villages.dat", "v");
        writeFile(layout.saves / "World/empty", QByteArray());
        std::filesystem::create_directories(layout.saves / "World/stats");
    }

    // The error of a world backup, and that nothing of it was left in the store.
    std::pair<OrvaneError::Kind, QString> refusal()
    {
        try {
            store.createWorldBackup(layout.instance, "World backup.");
        } catch (const OrvaneError& e) {
            EXPECT_TRUE(entriesOf(layout.worldStore).empty());
            return {e.kind(), e.text()};
        }
        ADD_FAILURE() << "accepted";
        return {};
    }
};

std::pair<OrvaneError::Kind, QString> corrupt(const char* text)
{
    return {OrvaneError::Kind::backupCorrupt, QString::fromUtf8(text)};
}

std::pair<OrvaneError::Kind, QString> linkRefused(const std::filesystem::path& link)
{
    return {OrvaneError::Kind::io, QString::fromStdString(link.native())
                                       + QStringLiteral(" is a symbolic link, and Orvane does not follow links in world "
                                                        "saves. Put the world itself in the saves folder, then try again.")};
}

} // namespace

TEST_F(WorldFixture, BacksUpEveryRegularFileIncludingHiddenOnesSortedByPath)
{
    writeWorld();
    const auto m = store.createWorldBackup(layout.instance.native() + "/./", "World backup.");

    std::vector<QString> paths;
    for (const auto& f : m.files)
        paths.push_back(f.relativePath);
    EXPECT_EQ(paths, (std::vector<QString>{"saves/.hidden/notes", "saves/Another World/DIM-1/data/villages.dat",
                                           "saves/World/.session.lock", "saves/World/empty", "saves/World/level.dat",
                                           "saves/World/region/r.0.0.mca"}));
    EXPECT_EQ(m.kind, BackupKind::saves);
    EXPECT_EQ(m.instanceRoot, pathText(layout.instance));
    EXPECT_TRUE(m.createdPaths.empty());
    EXPECT_EQ(m.totalByteCount(), 300000 + 5 + 4 + 1 + 1);

    const auto folder = layout.worldStore / m.id.toStdString();
    for (const auto& f : m.files) {
        EXPECT_EQ(f.originalPath, pathText(layout.instance / f.relativePath.toStdString()));
        EXPECT_EQ(f.sha256, sha256Hex(f.originalPath.toStdString()));
        EXPECT_EQ(readFile(folder / f.relativePath.toStdString()), readFile(f.originalPath.toStdString()));
    }
    EXPECT_EQ(readManifest(folder).files, m.files);
    EXPECT_NO_THROW(store.verifySnapshot(m, folder));
}

TEST_F(WorldFixture, ALinkAnywhereRefusesTheWholeBackup)
{
    writeWorld();
    std::filesystem::create_symlink(layout.saves / "World/level.dat", layout.saves / "World/region/alias.dat");
    EXPECT_EQ(refusal(), linkRefused(layout.saves / "World/region/alias.dat"));

    std::filesystem::remove(layout.saves / "World/region/alias.dat");
    std::filesystem::create_directory_symlink(layout.saves / "Another World", layout.saves / "World/link");
    EXPECT_EQ(refusal(), linkRefused(layout.saves / "World/link"));

    std::filesystem::remove(layout.saves / "World/link");
    std::filesystem::create_symlink(layout.home / "nowhere", layout.saves / "dangling");
    EXPECT_EQ(refusal(), linkRefused(layout.saves / "dangling"));
}

TEST_F(WorldFixture, ASpecialFileRefusesTheWholeBackup)
{
    writeWorld();
    ASSERT_EQ(::mkfifo((layout.saves / "World/pipe").c_str(), 0600), 0);
    EXPECT_EQ(refusal(), corrupt("world save tree contains a special file"));
}

TEST_F(WorldFixture, SavesFolderThatIsALinkIsRefused)
{
    writeFile(layout.instance / "elsewhere/World/level.dat", "level");
    std::filesystem::create_directories(layout.instance);
    std::filesystem::create_directory_symlink(layout.instance / "elsewhere", layout.saves);
    EXPECT_EQ(refusal(), linkRefused(layout.saves));

    std::filesystem::remove(layout.saves);
    std::filesystem::create_directory_symlink(layout.instance / "gone", layout.saves);
    EXPECT_EQ(refusal(), linkRefused(layout.saves));
}

TEST_F(WorldFixture, EmptyTreeOrNoSavesFolderAreRefusedWithSentences)
{
    std::filesystem::create_directories(layout.instance);
    EXPECT_EQ(refusal(), std::make_pair(OrvaneError::Kind::io,
                                        QStringLiteral("No saves folder in this instance. Orvane will not invent a world.")));
    std::filesystem::create_directories(layout.saves / "World/region");
    std::filesystem::create_directories(layout.saves / "Other");
    EXPECT_EQ(refusal(), std::make_pair(OrvaneError::Kind::io,
                                        QStringLiteral("No world files exist in this instance. Orvane will not create "
                                                       "an empty recovery point.")));
    std::filesystem::remove_all(layout.saves);
    writeFile(layout.saves, "not a folder");
    EXPECT_EQ(refusal(), std::make_pair(OrvaneError::Kind::io,
                                        QStringLiteral("Orvane could not enumerate the selected world saves.")));
}

TEST_F(WorldFixture, AnUnreadableSubfolderMakesTheTreeIncomplete)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    writeWorld();
    std::filesystem::permissions(layout.saves / "World/region", std::filesystem::perms::none);
    const auto [kind, message] = refusal();
    std::filesystem::permissions(layout.saves / "World/region", std::filesystem::perms::owner_all);
    EXPECT_EQ(kind, OrvaneError::Kind::io);
    EXPECT_TRUE(message.startsWith(QStringLiteral("Orvane could not read the complete world save tree: open folder ")))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("World/region: Permission denied"))) << message.toStdString();
}

TEST_F(WorldFixture, SizeLimitsAreCheckedBeforeAnythingIsCopied)
{
    writeWorld();
    writeSparse(layout.saves / "World/huge.mca", std::uintmax_t(WorldBackupLimits::maxFileBytes) + 1);
    EXPECT_EQ(refusal(), corrupt(("world save file exceeds the size limit of 64 GiB: " + (layout.saves / "World/huge.mca").native()).c_str()));

    // 32 files of exactly 64 GiB fill the 2 TiB total; the small files of the world go beyond it.
    std::filesystem::remove(layout.saves / "World/huge.mca");
    for (int i = 0; i < 32; ++i)
        writeSparse(layout.saves / "Big" / ("r." + std::to_string(i) + ".mca"), std::uintmax_t(WorldBackupLimits::maxFileBytes));
    EXPECT_EQ(refusal(), corrupt("world save tree exceeds the total size limit"));
}

TEST_F(WorldFixture, NamesThatAreNotUtf8AreRefused)
{
    writeWorld();
    writeFile(layout.saves / "World/\xff\xfe.dat", "x");
    const auto [kind, message] = refusal();
    EXPECT_EQ(kind, OrvaneError::Kind::io);
    EXPECT_TRUE(message.contains(QStringLiteral("is not valid UTF-8"))) << message.toStdString();
}

TEST_F(WorldFixture, AFileRemovedAfterTheScanFailsTheBackupAndLeavesNothing)
{
    writeWorld();
    files->beforeEach = [&](Op op, const std::filesystem::path&) {
        if (op == Op::cloneOrCopy)
            std::filesystem::remove(layout.saves / "World/region/r.0.0.mca");
    };
    EXPECT_EQ(refusal(), corrupt("world save changed while Orvane was creating the backup"));
}

TEST_F(WorldFixture, AFileRewrittenWhileItIsCopiedIsNeverRecordedAsVerified)
{
    // The game writes the region file as Orvane copies it: the copy would be torn, and its digest
    // (of the torn bytes) would verify.
    const auto region = layout.saves / "World/region/r.0.0.mca";
    const struct Case {
        const char* name;
        std::function<void()> write;
    } cases[] = {
        {"grown in place", [&] { std::ofstream(region, std::ios::app) << "more chunks"; }},
        {"replaced by a file of the same size", [&] {
             writeFile(layout.saves / "fresh", QByteArray(300000, 's'));
             std::filesystem::rename(layout.saves / "fresh", region);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeWorld();
        files->beforeEach = [&](Op op, const std::filesystem::path& path) {
            if (op == Op::cloneOrCopy && path == region)
                c.write();
        };
        EXPECT_EQ(refusal(), corrupt("world save changed while Orvane was creating the backup"));
    }
    // Left alone, the same world backs up.
    files->beforeEach = nullptr;
    writeWorld();
    EXPECT_EQ(store.createWorldBackup(layout.instance, "n").files.size(), 6u);
}

TEST_F(WorldFixture, ACopyFailingMidwayLeavesNoBackupFolder)
{
    writeWorld();
    files->failOn(Op::cloneOrCopy, 4, EIO);
    EXPECT_THROW(store.createWorldBackup(layout.instance, "n"), std::system_error);
    EXPECT_TRUE(entriesOf(layout.worldStore).empty());
}

TEST_F(WorldFixture, SourceRecheckRefusesWhatTheScanWouldNot)
{
    writeWorld();
    const auto level = layout.saves / "World/level.dat";
    const auto refuses = [&](std::vector<std::filesystem::path> sources) {
        try {
            store.validateWorldSources(sources, layout.instance);
        } catch (const OrvaneError& e) {
            return e.text();
        }
        return QStringLiteral("<accepted>");
    };
    EXPECT_EQ(refuses({}), QStringLiteral("world save tree has an invalid file count"));
    EXPECT_EQ(refuses(std::vector<std::filesystem::path>(std::size_t(WorldBackupLimits::maxFileCount) + 1, level)),
              QStringLiteral("world save tree has an invalid file count"));
    EXPECT_EQ(refuses({layout.instance / "options.txt"}), QStringLiteral("world backup source is outside the selected saves folder"));
    EXPECT_EQ(refuses({layout.saves}), QStringLiteral("world backup source is outside the selected saves folder"));
    EXPECT_EQ(refuses({level, layout.saves / "World/./level.dat"}), QStringLiteral("world backup contains a duplicate source path"));
    EXPECT_EQ(refuses({layout.saves / "World"}), QStringLiteral("world backup source is not a regular file"));
    EXPECT_EQ(refuses({layout.saves / "World/absent"}), QStringLiteral("world save changed while Orvane was creating the backup"));
    std::filesystem::create_directory_symlink(layout.saves / "World", layout.saves / "Alias");
    EXPECT_EQ(refuses({layout.saves / "Alias/level.dat"}), linkRefused(layout.saves / "Alias").second);

    const auto sorted = store.validateWorldSources({level, layout.saves / ".hidden/../.hidden/notes"}, layout.instance.native() + "/");
    EXPECT_EQ(sorted, (std::vector<std::filesystem::path>{layout.saves / ".hidden/notes", level}));

    // A saves snapshot goes through the same checks.
    EXPECT_THROW(store.createBackup({layout.instance / "options.txt"}, layout.instance, BackupKind::saves, "n", {}),
                 OrvaneError);
    EXPECT_TRUE(entriesOf(layout.worldStore).empty());
}

TEST(WorldSaveScanner, LimitsAtTheirBoundaries)
{
    TempDir dir;
    writeFile(dir / "saves/a", "12");
    writeFile(dir / "saves/sub/b", "345");
    writeFile(dir / "saves/sub/deeper/c", "6789");
    const auto saves = dir / "saves";
    const auto textOf = [&](const WorldScanLimits& limits) {
        try {
            const auto scan = scanWorldSaves(saves, limits);
            return QStringLiteral("%1 files, %2 bytes").arg(scan.files.size()).arg(scan.totalBytes);
        } catch (const OrvaneError& e) {
            return e.text();
        }
    };
    EXPECT_EQ(textOf({3, 4, 9}), QStringLiteral("3 files, 9 bytes"));
    EXPECT_EQ(textOf({2, 4, 9}), QStringLiteral("world save tree exceeds the file limit"));
    EXPECT_EQ(textOf({3, 3, 9}), "world save file exceeds the size limit of 3 bytes: " + QString::fromStdString((saves / "sub/deeper/c").native()));
    EXPECT_EQ(textOf({3, 4, 8}), QStringLiteral("world save tree exceeds the total size limit"));

    // The real limits: a file of exactly 64 GiB and a total of exactly 2 TiB are accepted.
    TempDir big;
    for (int i = 0; i < 32; ++i)
        writeSparse(big / "saves" / std::to_string(i), std::uintmax_t(WorldBackupLimits::maxFileBytes));
    const auto scan = scanWorldSaves(big / "saves");
    EXPECT_EQ(scan.files.size(), 32u);
    EXPECT_EQ(scan.totalBytes, std::uint64_t(WorldBackupLimits::maxTotalBytes));
}

TEST_F(WorldFixture, CopiesReachTheDiskBeforeTheBackupAppearsAndAFailedFlushRecordsNothing)
{
    writeWorld();
    writeFile(layout.instance / "options.txt", "renderDistance:8\n");
    BackupStore overlays(layout.backups, files);
    struct Case {
        const char* name;
        std::function<void()> backUp;
    };
    const Case cases[] = {
        {"world backup", [&] { store.createWorldBackup(layout.instance, "n"); }},
        {"overlay backup", [&] { overlays.createBackup({layout.instance / "options.txt"}, layout.instance, BackupKind::manual, "n", {}); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The flush comes after the last copy and before the snapshot takes its id.
        std::vector<Op> order;
        files->beforeEach = [&](Op op, const std::filesystem::path&) {
            if (op == Op::cloneOrCopy || op == Op::syncFileSystem || op == Op::moveNoReplace)
                order.push_back(op);
        };
        c.backUp();
        ASSERT_GE(order.size(), 3u);
        EXPECT_EQ(std::vector<Op>(order.end() - 2, order.end()), (std::vector<Op>{Op::syncFileSystem, Op::moveNoReplace}));
        EXPECT_EQ(std::count(order.begin(), order.end(), Op::syncFileSystem), 1);
        files->beforeEach = nullptr;

        const auto before = entriesOf(layout.worldStore).size() + entriesOf(layout.backups).size();
        files->failOn(Op::syncFileSystem, 1, EIO);
        try {
            c.backUp();
            ADD_FAILURE() << "a backup whose flush failed was reported as made";
        } catch (const std::system_error& e) {
            EXPECT_EQ(e.code().value(), EIO);
        }
        EXPECT_EQ(entriesOf(layout.worldStore).size() + entriesOf(layout.backups).size(), before);
    }
}
