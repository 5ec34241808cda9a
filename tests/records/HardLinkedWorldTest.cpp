#include "platform/PathText.h"
#include "records/BackupStore.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orvane;
using namespace orvane::test;
using Kind = RestoreCheckpoint::Kind;

TEST(HardLinkedWorld, FilesSharingTheirBytesWithOthersRestoreAndOnlySomeoneElsesWriteCountsAsAChange)
{
    const struct Case {
        const char* name;
        bool copiedWithLinks;   // saves/Copy is `cp -al` of saves/World
        bool deduplicated;      // two files of World share one inode
        std::function<void(const RestoreLayout&)> sincePlayed; // between the backup and the restore
        bool writeDuringRestore; // the game writes a shared file right before its commit
    } cases[] = {
        {"a world copied with links, unchanged", true, false, nullptr, false},
        {"a world copied with links, played in place", true, false,
         [](const RestoreLayout& l) { writeFile(l.saves / "World/level.dat", "level played"); }, false},
        {"a deduplicated world, played by replacing", false, true,
         [](const RestoreLayout& l) {
             writeFile(l.saves / "fresh", "region played");
             std::filesystem::rename(l.saves / "fresh", l.saves / "World/region/r.0.0.mca");
         },
         false},
        {"both, unchanged", true, true, nullptr, false},
        {"a world copied with links, written to during the restore", true, false, nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreLayout layout;
        const auto world = layout.saves / "World";
        writeFile(world / "level.dat", "level v1");
        writeFile(world / "region/r.0.0.mca", QByteArray(50000, 'a'));
        if (c.deduplicated)
            std::filesystem::create_hard_link(world / "region/r.0.0.mca", world / "region/r.0.1.mca");
        else
            writeFile(world / "region/r.0.1.mca", QByteArray(50000, 'a'));
        if (c.copiedWithLinks) {
            std::filesystem::create_directories(layout.saves / "Copy/region");
            for (const char* file : {"level.dat", "region/r.0.0.mca", "region/r.0.1.mca"})
                std::filesystem::create_hard_link(world / file, layout.saves / "Copy" / file);
        }
        BackupStore store(layout.worldStore, FileOperations::system(), layout.tmp);
        const BackupManifest backup = store.createWorldBackup(layout.instance, "w");
        const auto backedUp = treeOf(layout.saves);
        if (c.sincePlayed)
            c.sincePlayed(layout);

        if (c.writeDuringRestore) {
            // The last file is a name of a file the restore swapped out earlier: the game's write is seen.
            const std::size_t last = backup.files.size() - 1;
            store.setRestoreCheckpoint([&](const RestoreCheckpoint& point) {
                if (point.kind == Kind::beforeCommit && std::size_t(point.index) == last) {
                    // Saved as the game saves: a new file renamed over the old name.
                    writeFile(layout.saves / "saving", "written by the game");
                    std::filesystem::rename(layout.saves / "saving", point.destination);
                }
            });
            const auto error = orvaneErrorOf([&] { store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves); });
            EXPECT_EQ(error, ioError("A world file changed while Orvane was restoring. Orvane stopped and rolled back "
                                     "completed replacements."));
            EXPECT_EQ(readFile(pathFromText(backup.files[last].originalPath)), "written by the game");
            continue;
        }
        for (int attempt = 0; attempt < 2; ++attempt) { // and again over the world it restored
            EXPECT_NO_THROW(store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves));
            EXPECT_EQ(treeOf(layout.saves), backedUp);
            EXPECT_TRUE(restoreLeftovers(layout.instance).empty());
        }
    }
}
