#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

bool startsWith(const std::filesystem::path& path, const char* prefix)
{
    return path.filename().native().rfind(prefix, 0) == 0;
}

} // namespace

TEST(CheckedFolderRace, AFolderSwappedForALinkRightBeforeAChangeIsNeverFollowed)
{
    // A world of two existing files and one new, and an overlay file the overlay restore deletes; a
    // racing process moves one folder away and plants a link to `outside` in its place right before
    // one change. That change lands in the folder that was checked, nothing outside changes, and the
    // restore refuses or rolls back.
    struct Case {
        const char* name;
        const char* folder; // below the instance: the folder swapped for a link
        std::function<bool(FaultyFileOperations&, Op, const std::filesystem::path&)> rightBefore;
        bool overlay = false;
        bool failLastMove = false; // the new file's move fails, so that the rollback runs
    };
    const Case cases[] = {
        {"the undo link", "saves/World/region",
         [](auto&, Op op, const auto& path) { return op == Op::hardLink && path.filename() == "r.0.0.mca"; }},
        {"the swap", "saves/World/region",
         [](auto&, Op op, const auto& path) { return op == Op::swap && path.filename() == "r.0.0.mca"; }},
        {"the move of a new file", "saves/World/stats",
         [](auto&, Op op, const auto& path) { return op == Op::moveNoReplace && path.filename() == "player.json"; }},
        {"a rollback's move", "saves/World/region",
         [](auto&, Op op, const auto& path) { return op == Op::moveNoReplace && startsWith(path, ".orvane-restore-rollback-"); },
         false, true},
        {"the removal of a created path", "bin",
         [](auto&, Op op, const auto& path) { return op == Op::moveNoReplace && startsWith(path, ".orvane-restore-created-"); },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreLayout layout;
        const auto world = layout.saves / "World";
        auto files = std::make_shared<FaultyFileOperations>();
        BackupStore store(c.overlay ? layout.backups : layout.worldStore, files, layout.tmp);
        BackupManifest backup;
        if (c.overlay) {
            writeFile(layout.instance / "config.txt", "config v1");
            backup = store.createBackup({layout.instance / "config.txt"}, layout.instance, BackupKind::preOverlay, "o",
                                        {QString::fromStdString((layout.instance / "bin/runData").native())});
            writeFile(layout.instance / "config.txt", "config v2");
            writeFile(layout.instance / "bin/runData", "made by the overlay");
        } else {
            writeFile(world / "level.dat", "level v1");
            writeFile(world / "region/r.0.0.mca", "region v1");
            writeFile(world / "stats/player.json", "stats v1");
            backup = store.createWorldBackup(layout.instance, "w");
            writeFile(world / "level.dat", "level v2");
            writeFile(world / "region/r.0.0.mca", "region v2");
            std::filesystem::remove(world / "stats/player.json");
        }
        const auto outside = layout.home / "outside";
        for (const char* name : {"r.0.0.mca", "player.json", "runData", "level.dat"})
            writeFile(outside / name, "outside");
        const auto outsideBefore = treeOf(outside);
        const auto instanceBefore = treeOf(layout.instance);

        const auto swapped = layout.instance / c.folder;
        const auto moved = layout.instance / (std::string(c.folder) + ".moved");
        bool planted = false;
        files->beforeEach = [&](Op op, const std::filesystem::path& path) {
            if (planted || !c.rightBefore(*files, op, path))
                return;
            planted = true;
            std::filesystem::rename(swapped, moved);
            std::filesystem::create_directory_symlink(outside, swapped);
        };
        if (c.failLastMove)
            files->failOn(Op::moveNoReplace, 1);

        const auto error = orvaneErrorOf([&] {
            if (c.overlay)
                store.restoreBackup(backup, layout.instance, std::nullopt);
            else
                store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
        });
        EXPECT_TRUE(planted);
        EXPECT_NE(error.second, QStringLiteral("<no OrvaneError>"));
        EXPECT_EQ(treeOf(outside), outsideBefore);
        // Put back as the race found it, the instance is as it was before the restore.
        std::filesystem::remove(swapped);
        std::filesystem::rename(moved, swapped);
        auto after = treeOf(layout.instance);
        std::erase_if(after, [](const auto& entry) { return entry.first.find("orvane-restore") != std::string::npos; });
        EXPECT_EQ(after, instanceBefore);
    }
}

TEST(CheckedFolderRace, AFolderSwappedForALinkRightBeforeACleanUpRemovalIsNeverFollowed)
{
    // What a killed restore or backup left, cleaned up by the next world backup; a racing process moves
    // the folder holding it away and plants a link to `outside`, holding an item of the same name, right
    // before its removal. The removal lands in the folder that was checked; nothing outside changes.
    struct Case {
        const char* name;
        std::filesystem::path left;    // the item left behind
        std::filesystem::path swapped; // the folder swapped for a link
    };
    RestoreLayout paths;
    const auto relativeTo = [&](const std::filesystem::path& path) { return path.lexically_relative(paths.home.path()); };
    const std::string uuid = "0F8FAD5B-D9CB-469F-A165-70867728950E"; // Orvane's own names end in one
    const Case cases[] = {
        {"a probe among the world files", relativeTo(paths.saves / ("World/region/.orvane-restore-probe-" + uuid)),
         relativeTo(paths.saves / "World/region")},
        {"a stage in the instance's hidden work folder",
         relativeTo(paths.instance / (".orvane-restore/.orvane-restore-stage-" + uuid)),
         relativeTo(paths.instance / ".orvane-restore")},
        {"an undo folder in the private folder",
         relativeTo(paths.tmp / ("orvane-restore-undo-" + uuid + "/saves/World/level.dat")),
         relativeTo(paths.tmp / ("orvane-restore-undo-" + uuid + "/saves/World"))},
        {"a killed backup's partial folder", relativeTo(paths.worldStore / ".orvane-partial-A/saves/World/level.dat"),
         relativeTo(paths.worldStore / ".orvane-partial-A/saves/World")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreLayout layout;
        writeFile(layout.saves / "World/level.dat", "level v1");
        writeFile(layout.saves / "World/region/r.0.0.mca", QByteArray(1000, 'a'));
        const auto left = layout.home / c.left;
        const auto swapped = layout.home / c.swapped;
        const auto outside = layout.home / "outside";
        // A probe holds the bytes of a file of a backup of this world.
        BackupStore(layout.worldStore, FileOperations::system(), layout.tmp).createWorldBackup(layout.instance, "w");
        writeFile(left, "level v1");
        writeFile(outside / left.filename(), "not Orvane's");
        const auto before = treeOf(outside);

        auto files = std::make_shared<FaultyFileOperations>();
        int raced = 0;
        files->beforeEach = [&](Op op, const std::filesystem::path& path) {
            if (op != Op::removeFile || path != left || raced++ > 0)
                return;
            std::filesystem::rename(swapped, swapped.string() + "-moved");
            std::filesystem::create_directory_symlink(outside, swapped);
        };
        try {
            BackupStore(layout.worldStore, files, layout.tmp).createWorldBackup(layout.instance, "w");
        } catch (const std::exception&) {
            // A link among the world files may refuse the backup: only what lies outside matters here.
        }
        EXPECT_EQ(raced, 1);
        EXPECT_EQ(treeOf(outside), before);
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(swapped.string() + "-moved") / left.filename()));
    }
}
