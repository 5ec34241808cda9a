#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "records/RestoreCommitRecord.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "InterruptedWorld.h"
#include "KilledChild.h"
#include "RestoreLayout.h"
#include "SeparateVolumes.h"

#include <gtest/gtest.h>


using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

using InterruptedRestore = InterruptedWorld;

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
        std::vector<std::filesystem::path> undoFiles;
        for (const auto& record : records) {
            for (const auto& file : namedBelow(record.parent_path(), ".dat"))
                undoFiles.push_back(file);
            for (const auto& file : namedBelow(record.parent_path(), ".mca"))
                undoFiles.push_back(file);
        }
        ASSERT_EQ(undoFiles.size(), 3u);
        int undoGoneEarly = 0;
        auto watched = std::make_shared<FaultyFileOperations>(volumes);
        watched->beforeEach = [&](Op, const std::filesystem::path&) {
            const bool undoWhole = std::all_of(undoFiles.begin(), undoFiles.end(),
                                               [](const auto& file) { return std::filesystem::exists(file); });
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

TEST_F(InterruptedRestore, WhenItsBackupIsGoneTheRestoreIsUndoneFromItsUndoFoldersOrEveryBackupRefuses)
{
    struct Case {
        const char* name;
        int killAtSwap;
        bool corruptUndo; // the undo file of the first replaced file no longer holds the prior bytes
        std::vector<std::filesystem::path> volumes;
    };
    const std::vector<Case> cases{
        {"one file replaced", 2, false, {}},
        {"two files replaced", 3, false, {}},
        {"two files replaced, the saves on a volume of their own", 3, false, {layout.tmp, layout.saves}},
        {"its undo data damaged as well: refused, naming the kept folder, every time", 2, true, {}},
        {"its undo data damaged, the saves on a volume of their own: refused every time", 2, true,
         {layout.tmp, layout.saves}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto volumes = std::make_shared<SeparateVolumes>(c.volumes);
        const auto below = [&](const std::string& needle) {
            auto found = namedBelow(layout.tmp, needle);
            for (const auto& item : namedBelow(layout.saves, needle))
                found.push_back(item);
            return found;
        };
        startCase();
        killRestoreAtSwap(c.killAtSwap, volumes);
        std::filesystem::remove_all(layout.worldStore / backup.id.toStdString());
        const auto mixed = world();
        ASSERT_TRUE(mixed != changed);
        if (c.corruptUndo) {
            std::vector<std::filesystem::path> undo;
            for (const auto& folder : below("orvane-restore-undo-")) {
                for (const auto& copy : namedBelow(folder, "villages.dat"))
                    undo.push_back(copy);
            }
            ASSERT_EQ(undo.size(), 1u);
            writeFile(undo[0], "villages vX");
        }

        std::vector<std::pair<OrvaneError::Kind, QString>> refusals;
        for (int attempt = 0; attempt < 2; ++attempt) {
            BackupStore next = store(volumes);
            if (!c.corruptUndo) {
                const BackupManifest made = next.createWorldBackup(layout.instance, "after");
                EXPECT_EQ(next.interruptedRestoreNotice(), attempt == 0 ? std::optional(kUndone) : std::nullopt);
                for (const auto& file : made.files)
                    EXPECT_EQ(readFile(layout.worldStore / made.id.toStdString() / pathFromText(file.relativePath)),
                              changed.at(file.relativePath.mid(6).toStdString())); // after "saves/"
                std::filesystem::remove_all(layout.worldStore / made.id.toStdString());
                continue;
            }
            refusals.push_back(orvaneErrorOf([&] { next.createWorldBackup(layout.instance, "after"); }));
        }
        if (!c.corruptUndo) {
            EXPECT_EQ(world(), changed);
            EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});
            continue;
        }
        // The world stays mixed and no backup records it.
        EXPECT_EQ(world(), mixed);
        for (const auto& entry : entriesOf(layout.worldStore))
            EXPECT_EQ(entry.filename().native().rfind(".orvane-restore-areas-", 0), 0u) << entry;
        const auto kept = below("orvane-restore-kept-");
        ASSERT_FALSE(kept.empty());
        QStringList keptTexts;
        for (const auto& folder : kept) {
            EXPECT_TRUE(std::filesystem::exists(RestoreCommitRecord::fileIn(folder)));
            keptTexts.push_back(text(folder));
        }
        ASSERT_EQ(refusals.size(), 2u);
        EXPECT_EQ(refusals[0], refusals[1]);
        const QString prefix = "Orvane could neither finish nor undo a restore that was interrupted: " + text(villages)
            + ": undo data failed verification. The files as they were before that restore are kept at ";
        const QString waysOut = ". To go on, restore a backup, or remove ";
        const QString suffix = " to keep the world as it is.";
        const QString said = refusals[0].second;
        EXPECT_EQ(refusals[0].first, OrvaneError::Kind::io);
        ASSERT_TRUE(said.startsWith(prefix) && said.endsWith(suffix) && said.contains(waysOut)) << said.toStdString();
        const QString keptAt = said.mid(prefix.size(), said.indexOf(waysOut) - prefix.size());
        EXPECT_EQ(said, prefix + keptAt + waysOut + keptAt + suffix);
        QStringList named = keptAt.split(" and ");
        named.sort();
        keptTexts.sort();
        EXPECT_EQ(named, keptTexts);
        for (const auto& folder : kept)
            std::filesystem::remove_all(folder);
        for (const auto& journal : namedBelow(layout.worldStore, ".orvane-restore-areas-"))
            std::filesystem::remove(journal);
    }
}

TEST_F(InterruptedRestore, AFailedRollbackKeepsItsRecordSoNoMixedWorldIsEverRecorded)
{
    struct Case {
        const char* name;
        bool backupGone;
        bool swapsStillFail; // the later backups' own swaps back fail as well
        std::optional<QString> notice; // of the first later backup; both refuse when absent
        bool worldIsBackup;            // else the world as it was before the restore
    };
    const Case cases[] = {
        {"its backup still there: the next backup finishes it", false, false, kFinished, true},
        {"its backup gone: the next backup puts the prior world back", true, false, kUndone, false},
        {"its backup gone, the swaps back failing still: both backups refuse naming the kept folder", true, true,
         std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startCase();

        // The third file's commit stops, and swapping the first two back fails.
        const auto faulty = std::make_shared<FaultyFileOperations>();
        BackupStore failing = store(faulty);
        failing.setRestoreCheckpoint([&](const RestoreCheckpoint& point) {
            if (point.kind == RestoreCheckpoint::Kind::beforeAtomicCommit && point.index == 2) {
                faulty->failFrom(Op::swap, 1, EIO);
                throw OrvaneError::io(QStringLiteral("stop."));
            }
        });
        const QString failure = orvaneErrorOf([&] {
            failing.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
        }).second;
        const auto kept = namedBelow(layout.tmp, "orvane-restore-kept-");
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_TRUE(failure.contains(text(kept[0]))) << failure.toStdString();
        EXPECT_TRUE(std::filesystem::exists(RestoreCommitRecord::fileIn(kept[0])));
        auto mixed = backedUp;
        mixed["World/region/r.0.0.mca"] = changed["World/region/r.0.0.mca"];
        ASSERT_EQ(world(), mixed);
        if (c.backupGone)
            std::filesystem::remove_all(layout.worldStore / backup.id.toStdString());
        if (!c.swapsStillFail)
            faulty->failFrom(Op::swap, 1, 0);

        std::vector<QString> refusals;
        for (int attempt = 0; attempt < 2; ++attempt) {
            BackupStore next = store(faulty);
            if (c.notice) {
                const BackupManifest made = next.createWorldBackup(layout.instance, "after");
                EXPECT_EQ(next.interruptedRestoreNotice(), attempt == 0 ? c.notice : std::nullopt);
                std::filesystem::remove_all(layout.worldStore / made.id.toStdString());
            } else {
                const auto [kind, error] = orvaneErrorOf([&] { next.createWorldBackup(layout.instance, "after"); });
                EXPECT_EQ(kind, OrvaneError::Kind::io);
                refusals.push_back(error);
            }
        }
        if (c.notice) {
            EXPECT_EQ(world(), c.worldIsBackup ? backedUp : changed);
            // Named to the user, the kept folder stays with the prior bytes; only its record went.
            EXPECT_EQ(readFile(kept[0] / "saves/World/level.dat"), "level v2");
            EXPECT_FALSE(std::filesystem::exists(RestoreCommitRecord::fileIn(kept[0])));
        } else {
            EXPECT_EQ(world(), mixed);
            EXPECT_EQ(refusals[0], refusals[1]);
            const QString swapFailed = ": Orvane could not atomically swap ";
            EXPECT_EQ(refusals[0], "Orvane could neither finish nor undo a restore that was interrupted: " + text(level)
                                       + swapFailed + text(level) + ": Input/output error; " + text(villages)
                                       + swapFailed + text(villages)
                                       + ": Input/output error. The files as they were before that restore are kept at "
                                       + text(kept[0]) + ". To go on, restore a backup, or remove " + text(kept[0])
                                       + " to keep the world as it is.");
            EXPECT_TRUE(BackupStore(layout.worldStore, FileOperations::system()).listBackups().empty());
        }
        std::filesystem::remove_all(kept[0]);
    }
}

TEST_F(InterruptedRestore, FilesWrittenSinceTheInterruptionAreNeverOverwrittenNorDeleted)
{
    struct Case {
        const char* name;
        std::vector<std::filesystem::path> volumes;
        bool nextIsRestore;
    };
    const std::vector<Case> cases{
        {"then a backup, which records the world as it is", {}, false},
        {"then a restore, which replaces nothing", {}, true},
        {"the saves on a volume of their own, then a backup", {layout.tmp, layout.saves}, false},
        {"the saves on a volume of their own, then a restore", {layout.tmp, layout.saves}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto volumes = std::make_shared<SeparateVolumes>(c.volumes);
        changeWorld();
        killRestoreAtSwap(2, volumes); // villages.dat replaced, level.dat not yet
        // The game writes in place: to a restored file, and to one whose bytes are also its undo link's.
        writeFile(villages, "villages played");
        writeFile(level, "level played");
        const auto played = world();

        BackupStore next = store(volumes);
        std::optional<QString> told;
        if (c.nextIsRestore) {
            const auto [kind, error] = orvaneErrorOf(
                [&] { next.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves); });
            EXPECT_EQ(kind, OrvaneError::Kind::io);
            told = error;
        } else {
            const BackupManifest made = next.createWorldBackup(layout.instance, "after");
            told = next.interruptedRestoreNotice();
            for (const auto& file : made.files)
                EXPECT_EQ(readFile(layout.worldStore / made.id.toStdString() / pathFromText(file.relativePath)),
                          played.at(file.relativePath.mid(6).toStdString())); // after "saves/"
            std::filesystem::remove_all(layout.worldStore / made.id.toStdString());
        }
        EXPECT_TRUE(world() == played);
        auto kept = namedBelow(layout.tmp, "orvane-restore-kept-");
        for (const auto& folder : namedBelow(layout.saves, "orvane-restore-kept-"))
            kept.push_back(folder);
        ASSERT_FALSE(kept.empty());
        QStringList keptTexts;
        std::filesystem::path keptVillages;
        for (const auto& folder : kept) {
            keptTexts.push_back(text(folder));
            EXPECT_TRUE(std::filesystem::exists(RestoreCommitRecord::fileIn(folder))); // the kept state stays recorded
            if (std::filesystem::exists(folder / "saves/World/data/villages.dat"))
                keptVillages = folder / "saves/World/data/villages.dat";
        }
        ASSERT_FALSE(told->isEmpty());
        const QString prefix = "Orvane kept the world as it is, because it changed after a restore was interrupted; "
                               "the replaced files are kept at ";
        const QString suffix = c.nextIsRestore ? QStringLiteral(". Nothing was replaced.") : QStringLiteral(".");
        ASSERT_TRUE(told->startsWith(prefix) && told->endsWith(suffix)) << told->toStdString();
        QStringList named = told->mid(prefix.size(), told->size() - prefix.size() - suffix.size()).split(" and ");
        named.sort();
        keptTexts.sort();
        EXPECT_EQ(named, keptTexts);
        EXPECT_EQ(readFile(keptVillages), "villages v2");

        // Told once; a later backup refuses to record the mixed world, naming the kept folders, until
        // they are removed. They stay out of every later clean-up.
        BackupStore after = store(volumes);
        const auto [kind, refusal] = orvaneErrorOf([&] { after.createWorldBackup(layout.instance, "again"); });
        EXPECT_EQ(kind, OrvaneError::Kind::io);
        EXPECT_TRUE(refusal.startsWith(prefix) && refusal.contains(". To go on, restore a backup, or remove "))
            << refusal.toStdString();
        EXPECT_EQ(readFile(keptVillages), "villages v2");
        for (const auto& folder : kept)
            std::filesystem::remove_all(folder);
        const BackupManifest again = store(volumes).createWorldBackup(layout.instance, "again");
        EXPECT_EQ(again.files.size(), 3u);
        std::filesystem::remove_all(layout.worldStore / again.id.toStdString());
    }
}

TEST_F(InterruptedRestore, ARecoveryKilledWhileUndoingIsCompletedByTheNextOne)
{
    // Two files replaced, the backup corrupted since: the first recovery puts level.dat back, then is
    // killed before it swaps villages.dat back. The next one finds level.dat already as it was.
    const auto copy = layout.worldStore / backup.id.toStdString() / "saves/World/level.dat";
    struct Case {
        const char* name;
        int killAtRollbackSwap;
    };
    const Case cases[] = {
        {"killed before its first swap back", 1},
        {"killed before its second swap back", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(copy, "level v1");
        changeWorld();
        killRestoreAtSwap(3, FileOperations::system());
        writeFile(copy, "level vX"); // same size, other bytes
        auto swaps = std::make_shared<int>(0);
        ASSERT_TRUE(killedWhen(
            [&](Op op, const std::filesystem::path&) { return op == Op::swap && ++*swaps == c.killAtRollbackSwap; },
            [&](const auto& files) { store(files).createWorldBackup(layout.instance, "killed"); }));

        BackupStore next = store(FileOperations::system());
        std::filesystem::remove_all(layout.worldStore / next.createWorldBackup(layout.instance, "after").id.toStdString());
        EXPECT_EQ(next.interruptedRestoreNotice(), kUndone);
        EXPECT_EQ(world(), changed);
        EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});
    }
}
