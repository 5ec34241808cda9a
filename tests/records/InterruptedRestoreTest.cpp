#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "records/RestoreCommitRecord.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "KilledChild.h"
#include "RestoreLayout.h"
#include "SeparateVolumes.h"

#include <gtest/gtest.h>


using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

const QString kFinished = QStringLiteral("Orvane first finished a world restore that was interrupted.");
const QString kUndone =
    QStringLiteral("Orvane first undid a world restore that was interrupted, because its backup no longer verifies.");

bool isRestoreItem(const std::filesystem::path& path)
{
    for (const auto& part : path) {
        if (part.native().find("orvane-restore") != std::string::npos)
            return true;
    }
    return false;
}

// Every path below `folder` whose name contains `needle` (not looking into matched folders).
std::vector<std::filesystem::path> namedBelow(const std::filesystem::path& folder, const std::string& needle)
{
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->path().filename().native().find(needle) != std::string::npos) {
            found.push_back(it->path());
            it.disable_recursion_pending();
        }
    }
    return found;
}

// A world of three files, backed up, then changed: a restore swaps all three, in manifest order
// data/villages.dat, level.dat, region/r.0.0.mca.
struct InterruptedRestore : ::testing::Test {
    RestoreLayout layout;
    std::filesystem::path villages = layout.saves / "World/data/villages.dat";
    std::filesystem::path level = layout.saves / "World/level.dat";
    std::filesystem::path region = layout.saves / "World/region/r.0.0.mca";
    BackupManifest backup;
    std::map<std::string, QByteArray> backedUp; // the world the backup holds
    std::map<std::string, QByteArray> changed;  // the world before the restore

    InterruptedRestore()
    {
        writeFile(villages, "villages v1");
        writeFile(level, "level v1");
        writeFile(region, QByteArray(100000, 'a'));
        backup = store(FileOperations::system()).createWorldBackup(layout.instance, "w");
        backedUp = world();
        changeWorld();
        changed = world();
    }

    void changeWorld() const
    {
        writeFile(villages, "villages v2");
        writeFile(level, "level v2");
        writeFile(region, QByteArray(90000, 'b'));
    }

    BackupStore store(std::shared_ptr<FileOperations> files) const
    {
        return BackupStore(layout.worldStore, std::move(files), layout.tmp);
    }

    // The world files, without any restore's items among them.
    std::map<std::string, QByteArray> world() const
    {
        auto tree = treeOf(layout.saves);
        std::erase_if(tree, [](const auto& entry) { return isRestoreItem(entry.first); });
        return tree;
    }

    // A restore killed right before its `nthSwap`-th swap.
    void killRestoreAtSwap(int nthSwap, const std::shared_ptr<FileOperations>& volumes) const
    {
        auto swaps = std::make_shared<int>(0);
        ASSERT_TRUE(killedWhen([=](Op op, const std::filesystem::path&) { return op == Op::swap && ++*swaps == nthSwap; },
                               [&](const auto& files) {
                                   store(files).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
                               },
                               volumes));
    }

    // Restore items in the private folder, in the instance and journals in the store.
    std::vector<std::filesystem::path> workLeft() const
    {
        auto found = namedBelow(layout.tmp, "orvane-restore");
        for (const auto& item : namedBelow(layout.instance, "orvane-restore"))
            found.push_back(item);
        for (const auto& entry : entriesOf(layout.worldStore)) {
            if (entry.filename().native().rfind(".orvane-restore-areas-", 0) == 0)
                found.push_back(entry);
        }
        return found;
    }
};

} // namespace

TEST_F(InterruptedRestore, ARestoreKilledAmongItsReplacementsIsFinishedBeforeTheNextBackupOrRestore)
{
    struct Case {
        const char* name;
        std::vector<std::filesystem::path> volumes;
        bool nextIsRestore;
    };
    const std::vector<Case> cases{
        {"one volume, then a backup", {}, false},
        {"one volume, then a restore", {}, true},
        {"the saves on a volume of their own, then a backup", {layout.tmp, layout.saves}, false},
        {"the saves on a volume of their own, then a restore", {layout.tmp, layout.saves}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto volumes = std::make_shared<SeparateVolumes>(c.volumes);
        changeWorld();
        killRestoreAtSwap(2, volumes); // villages.dat replaced, level.dat and the region not yet
        auto mixed = changed;
        mixed["World/data/villages.dat"] = backedUp["World/data/villages.dat"];
        ASSERT_EQ(world(), mixed);

        // The prior bytes of every file: in the undo folders until the world is the backup's.
        const auto records = [&] {
            auto found = namedBelow(layout.tmp, ".orvane-restore-commit");
            for (const auto& item : namedBelow(layout.saves, ".orvane-restore-commit"))
                found.push_back(item);
            return found;
        }();
        ASSERT_FALSE(records.empty());
        std::vector<std::filesystem::path> undoCopies;
        for (const auto& record : records) {
            for (const auto& copy : namedBelow(record.parent_path(), ".dat"))
                undoCopies.push_back(copy);
            for (const auto& copy : namedBelow(record.parent_path(), ".mca"))
                undoCopies.push_back(copy);
        }
        ASSERT_EQ(undoCopies.size(), 3u);
        int undoGoneEarly = 0;
        auto watched = std::make_shared<FaultyFileOperations>(volumes);
        watched->beforeEach = [&](Op, const std::filesystem::path&) {
            const bool undoWhole = std::all_of(undoCopies.begin(), undoCopies.end(),
                                               [](const auto& copy) { return std::filesystem::exists(copy); });
            if (!undoWhole && world() != backedUp)
                ++undoGoneEarly;
        };

        BackupStore next = store(watched);
        if (c.nextIsRestore) {
            const RestoreResult result = next.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
            EXPECT_EQ(result.restoredFiles.size(), 3u);
        } else {
            const BackupManifest made = next.createWorldBackup(layout.instance, "after");
            // It records the world as the backup being restored has it.
            ASSERT_EQ(made.files.size(), backup.files.size());
            for (std::size_t i = 0; i < made.files.size(); ++i) {
                EXPECT_EQ(made.files[i].relativePath, backup.files[i].relativePath);
                EXPECT_EQ(made.files[i].sha256, backup.files[i].sha256);
            }
        }
        EXPECT_EQ(next.interruptedRestoreNotice(), kFinished);
        EXPECT_EQ(world(), backedUp);
        EXPECT_EQ(undoGoneEarly, 0);
        EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});

        // Finished once: the operation after that has nothing to say.
        BackupStore after = store(volumes);
        after.createWorldBackup(layout.instance, "again");
        EXPECT_EQ(after.interruptedRestoreNotice(), std::nullopt);
    }
}

TEST_F(InterruptedRestore, WhatTheNextBackupDoesDependsOnHowFarTheRestoreGot)
{
    struct Case {
        const char* name;
        int killAtSwap;
        bool corruptBackup; // a copy of the backup no longer holds its bytes
        std::optional<QString> notice;
        bool worldIsBackup; // else the world as it was before the restore
    };
    const Case cases[] = {
        {"killed before any replacement: nothing to finish", 1, false, std::nullopt, false},
        {"killed among its replacements: finished", 3, false, kFinished, true},
        {"killed among its replacements, its backup corrupted since: undone", 2, true, kUndone, false},
        {"killed at its last replacement, its backup corrupted since: undone", 3, true, kUndone, false},
    };
    const auto copy = layout.worldStore / backup.id.toStdString() / "saves/World/level.dat";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(copy, "level v1"); // the backup as made
        changeWorld();
        killRestoreAtSwap(c.killAtSwap, FileOperations::system());
        if (c.corruptBackup)
            writeFile(copy, "level vX"); // same size, other bytes

        BackupStore next = store(FileOperations::system());
        const BackupManifest made = next.createWorldBackup(layout.instance, "after");
        EXPECT_EQ(next.interruptedRestoreNotice(), c.notice);
        EXPECT_EQ(world(), c.worldIsBackup ? backedUp : changed);
        EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});
        // The new backup holds the world as it now is.
        for (const auto& file : made.files)
            EXPECT_EQ(readFile(layout.worldStore / made.id.toStdString() / pathFromText(file.relativePath)),
                      readFile(pathFromText(file.originalPath)));
        std::filesystem::remove_all(layout.worldStore / made.id.toStdString());
    }
}

TEST_F(InterruptedRestore, AnotherStoresCleanUpLeavesTheUndoDataOfAnUnfinishedCommit)
{
    killRestoreAtSwap(2, FileOperations::system());
    const auto records = namedBelow(layout.tmp, ".orvane-restore-commit");
    ASSERT_EQ(records.size(), 1u);

    // The overlay store shares the private folder: its backup must leave the world's undo data.
    writeFile(layout.instance / "options.txt", "fov:0.0\n");
    BackupStore overlay(layout.backups, FileOperations::system(), layout.tmp);
    overlay.createBackup({layout.instance / "options.txt"}, layout.instance, BackupKind::manual, "m", {});
    EXPECT_EQ(overlay.interruptedRestoreNotice(), std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(records[0]));
    EXPECT_EQ(readFile(records[0].parent_path() / "saves/World/level.dat"), "level v2");

    BackupStore world = store(FileOperations::system());
    world.createWorldBackup(layout.instance, "after");
    EXPECT_EQ(world.interruptedRestoreNotice(), kFinished);
    EXPECT_EQ(this->world(), backedUp);
    EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});
}

TEST_F(InterruptedRestore, AWriteKilledMidwayLeavesNoTemporaryFileAfterTheNextRestore)
{
    // On two volumes the saves' own folders serve, so the restore writes a journal in the store, and
    // records in the undo folders before its first replacement.
    struct Case {
        const char* name;
        const char* writing;
    };
    const Case cases[] = {
        {"killed writing its journal", ".orvane-restore-areas-"},
        {"killed writing a commit record", ".orvane-restore-commit"},
    };
    const auto volumes = std::make_shared<SeparateVolumes>(std::vector<std::filesystem::path>{layout.tmp, layout.saves});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        changeWorld();
        const std::string writing = c.writing;
        ASSERT_TRUE(killedWhen(
            [&](Op op, const std::filesystem::path& path) {
                if (op != Op::writeAtomically || path.filename().native().rfind(writing, 0) != 0)
                    return false;
                leaveAtomicWriteTemporary(path);
                return true;
            },
            [&](const auto& files) {
                store(files).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
            },
            volumes));
        ASSERT_FALSE(namedBelow(layout.home.path(), ".orvane-tmp-").empty());
        EXPECT_EQ(world(), changed); // nothing was replaced

        store(volumes).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
        EXPECT_EQ(world(), backedUp);
        EXPECT_EQ(namedBelow(layout.home.path(), ".orvane-tmp-"), std::vector<std::filesystem::path>{});
        EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});
    }
}

TEST_F(InterruptedRestore, WhenItsBackupIsGoneTheFilesAsTheyWereAreKeptAndNamed)
{
    killRestoreAtSwap(2, FileOperations::system());
    std::filesystem::remove_all(layout.worldStore / backup.id.toStdString());

    BackupStore next = store(FileOperations::system());
    const auto [kind, error] = orvaneErrorOf([&] { next.createWorldBackup(layout.instance, "after"); });
    EXPECT_EQ(kind, OrvaneError::Kind::io);
    const auto kept = namedBelow(layout.tmp, "orvane-restore-kept-");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(error, "Orvane could neither finish nor undo a restore that was interrupted: its backup can no longer be "
                     "read, so Orvane cannot tell which files it replaced. The files as they were before that restore "
                     "are kept at " + text(kept[0]) + ". Keep the verified Orvane backup and do not launch the affected "
                     "instance.");
    EXPECT_EQ(readFile(kept[0] / "saves/World/data/villages.dat"), "villages v2");
    EXPECT_EQ(readFile(kept[0] / "saves/World/level.dat"), "level v2");
    EXPECT_FALSE(std::filesystem::exists(RestoreCommitRecord::fileIn(kept[0])));

    // Told once; the kept folder then stays out of every later clean-up.
    next.createWorldBackup(layout.instance, "after");
    EXPECT_TRUE(std::filesystem::exists(kept[0] / "saves/World/level.dat"));
}

TEST(RestoreCommitRecords, ReadBackWholeOrNotAtAll)
{
    const RestoreCommitRecord full{"R1", "/h/backups/saves", "2026-12-08T072108.123Z-0f8f", "/h/modpacks/tekkit-2",
                                   std::filesystem::path("/h/technic"), std::nullopt};
    RestoreCommitRecord noTechnic = full;
    noTechnic.technicRoot.reset();
    struct Case {
        const char* name;
        QByteArray bytes;
        std::optional<RestoreCommitRecord> read;
    };
    const Case cases[] = {
        {"a record", full.encode(), full},
        {"a record without a Technic root", noTechnic.encode(), noTechnic},
        {"a journal: the record, then its folders", full.encode() + "/h/modpacks/tekkit-2/saves/W" + '\0', full},
        {"a journal written before journals named their backup", QByteArray("/h/modpacks/tekkit-2/saves/W\0", 29),
         std::nullopt},
        {"no backup named", QByteArray("restore=R1\0store=/s\0instance=/i\0", 33), std::nullopt},
        {"a relative instance", QByteArray("restore=R1\0store=/s\0backup=b\0instance=i\0", 41), std::nullopt},
        {"nothing", QByteArray(), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RestoreCommitRecord::decode(c.bytes), c.read);
    }
}
