#include "records/BackupStore.h"

#include "support/QtPrinters.h"

#include "InterruptedWorld.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

struct TrueRefusals : InterruptedWorld {
    std::pair<OrvaneError::Kind, QString> linkRefused(const std::filesystem::path& link) const
    {
        return ioError(text(link) + " is a symbolic link, and Orvane does not follow links in world saves. Put the "
                                    "world itself in the saves folder, then try again.");
    }
    std::pair<OrvaneError::Kind, QString> restoreRefusal()
    {
        return orvaneErrorOf([&] {
            store(FileOperations::system()).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
        });
    }
    std::pair<OrvaneError::Kind, QString> backupRefusal()
    {
        return orvaneErrorOf([&] { store(FileOperations::system()).createWorldBackup(layout.instance, "w"); });
    }
};

} // namespace

TEST_F(TrueRefusals, ALinkInTheWayIsNamedAndNeverFollowedByTheBackupOrTheRestore)
{
    const auto world = layout.saves / "World";
    const auto elsewhere = layout.home / "other disk/World";
    const struct Case {
        const char* name;
        bool interrupted; // a restore was killed before the world folder was moved
        std::filesystem::path link;
        std::filesystem::path target;
    } cases[] = {
        {"the world folder moved to another disk and linked back", false, world, elsewhere},
        {"the same after an interrupted restore", true, world, elsewhere},
        {"the region folder linked to another disk", false, world / "region", layout.home / "other disk/region"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startCase();
        if (c.interrupted)
            killRestoreAtSwap(2, FileOperations::system());
        std::filesystem::create_directories(c.target.parent_path());
        std::filesystem::rename(c.link, c.target);
        std::filesystem::create_directory_symlink(c.target, c.link);
        const auto target = treeOf(c.target);

        if (c.interrupted) { // the first to find the interrupted restore says why it stays as it is
            const auto [kind, message] = backupRefusal();
            EXPECT_TRUE(message.contains(text(c.link) + " is a symbolic link now")) << message.toStdString();
        } else { // the backup names the link it meets in the tree
            EXPECT_EQ(backupRefusal(), linkRefused(c.link));
        }
        EXPECT_EQ(restoreRefusal(), linkRefused(c.link));
        EXPECT_EQ(restoreRefusal(), linkRefused(c.link)); // the same every time
        EXPECT_EQ(treeOf(c.target), target);              // nothing was followed
        // The backup is still there and verifies.
        EXPECT_NO_THROW(store(FileOperations::system())
                            .verifySnapshot(backup, layout.worldStore / backup.id.toStdString()));

        std::filesystem::remove(c.link);
        std::filesystem::rename(c.target, c.link);
        std::filesystem::remove_all(layout.home / "other disk");
        store(FileOperations::system()).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
        EXPECT_EQ(this->world(), backedUp);
        std::filesystem::remove_all(layout.tmp);
    }
}

TEST_F(TrueRefusals, AKeptFolderThePlayerEmptiedIsNotSaidToHoldTheFiles)
{
    const struct Case {
        const char* name;
        std::vector<std::string> deleted; // undo files the player removed, below the undo folder
        bool saysKept;                    // the refusal says files are kept there
    } cases[] = {
        {"every undo file deleted", {"saves/World/data/villages.dat", "saves/World/level.dat", "saves/World/region"}, false},
        {"one undo file deleted", {"saves/World/data/villages.dat"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startCase();
        killRestoreAtSwap(2, FileOperations::system()); // villages.dat replaced
        const auto undo = namedBelow(layout.tmp, "orvane-restore-undo-");
        ASSERT_EQ(undo.size(), 1u);
        for (const auto& item : c.deleted)
            std::filesystem::remove_all(undo[0] / item);
        std::filesystem::remove_all(layout.worldStore / backup.id.toStdString());

        const auto [kind, message] = backupRefusal();
        const auto kept = namedBelow(layout.tmp, "orvane-restore-kept-");
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kind, OrvaneError::Kind::io);
        const QString keptAt = "The files as they were before that restore are kept at " + text(kept[0]) + ".";
        const QString recordOnly = "Only the record of that restore is left at " + text(kept[0])
            + "; the files as they were before it are no longer kept anywhere.";
        EXPECT_EQ(message.contains(keptAt), c.saysKept) << message.toStdString();
        EXPECT_EQ(message.contains(recordOnly), !c.saysKept) << message.toStdString();
        EXPECT_TRUE(message.endsWith(" To go on, restore a backup, or remove " + text(kept[0])
                                     + " to keep the world as it is."))
            << message.toStdString();
        std::filesystem::remove_all(kept[0]);
    }
}
