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

TEST_F(InterruptedRestore, ItemsAKilledRestoreLeftAmongTheWorldFilesNeverReachALaterBackup)
{
    struct Case {
        const char* name;
        const char* item;
    };
    const Case cases[] = {
        {"a probe, killed while staging a file that is new", ".orvane-restore-probe-"},
        {"a rollback copy, killed while its recovery put a file back", ".orvane-restore-rollback-"},
    };
    const auto copy = layout.worldStore / backup.id.toStdString() / "saves/World/level.dat";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(copy, "level v1");
        changeWorld();
        const std::string item = c.item;
        if (item == ".orvane-restore-probe-") {
            std::filesystem::remove(region);
            ASSERT_TRUE(killedWhen(
                [&](Op op, const std::filesystem::path& path) {
                    return op == Op::removeFile && path.filename().native().rfind(item, 0) == 0;
                },
                [&](const auto& files) {
                    store(files).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
                }));
        } else {
            killRestoreAtSwap(3, FileOperations::system());
            writeFile(copy, "level vX");
            auto swaps = std::make_shared<int>(0);
            ASSERT_TRUE(killedWhen([&](Op op, const std::filesystem::path&) { return op == Op::swap && ++*swaps == 2; },
                                   [&](const auto& files) { store(files).createWorldBackup(layout.instance, "k"); }));
        }
        ASSERT_EQ(namedBelow(layout.saves, item).size(), 1u);

        const BackupManifest made = store(FileOperations::system()).createWorldBackup(layout.instance, "after");
        for (const auto& file : made.files)
            EXPECT_EQ(file.relativePath.indexOf(QLatin1String("orvane")), -1) << file.relativePath.toStdString();
        EXPECT_EQ(namedBelow(layout.saves, item), std::vector<std::filesystem::path>{});
        std::filesystem::remove_all(layout.worldStore / made.id.toStdString());
    }
}

TEST_F(InterruptedRestore, ARestoreFindingNoBackupFirstRemovesAKilledBackupsPartialFolder)
{
    ASSERT_TRUE(killedWhen([](Op op, const std::filesystem::path&) { return op == Op::syncFileSystem; },
                           [&](const auto& files) { store(files).createWorldBackup(layout.instance, "killed"); }));
    std::filesystem::remove_all(layout.worldStore / backup.id.toStdString());
    ASSERT_EQ(namedBelow(layout.worldStore, ".orvane-partial-").size(), 1u);

    const auto [kind, error] = orvaneErrorOf(
        [&] { store(FileOperations::system()).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves); });
    EXPECT_EQ(kind, OrvaneError::Kind::backupMissing);
    EXPECT_EQ(entriesOf(layout.worldStore), std::vector<std::filesystem::path>{});
}

TEST(InterruptedOverlayRestore, ACreatedPathItSetAsideGoesBackWhenItIsUndoneWithoutItsBackup)
{
    struct Case {
        const char* name;
        const char* madeSince;   // written at the created path after the kill, when not null
        bool recordListsNoAside; // a record written before records listed set-aside paths
    };
    const Case cases[] = {
        {"undone: the settings and the created file are back", nullptr, false},
        {"a file made at the created path since: everything kept as it is", "made since", false},
        {"a record that does not list it: refused, naming the kept folder", nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreLayout layout;
        const auto options = layout.instance / "options.txt";
        const auto runData = layout.instance / "bin/runData";
        writeFile(options, "renderDistance:8\n");
        const BackupManifest backup = BackupStore(layout.backups, FileOperations::system(), layout.tmp)
                                          .createBackup({options}, layout.instance, BackupKind::preOverlay, "o",
                                                        {text(runData)});
        writeFile(options, "renderDistance:12\n");
        writeFile(runData, "{}");

        // Killed right after the created path was moved into the undo folder.
        auto setAside = std::make_shared<bool>(false);
        ASSERT_TRUE(killedWhen(
            [=](Op op, const std::filesystem::path& path) {
                if (*setAside)
                    return true;
                *setAside = op == Op::moveNoReplace
                    && path.filename().native().rfind(".orvane-restore-created-", 0) == 0;
                return false;
            },
            [&](const auto& files) {
                BackupStore(layout.backups, files, layout.tmp)
                    .restoreLatestBackup(layout.instance, std::nullopt, BackupKind::preOverlay);
            }));
        ASSERT_FALSE(std::filesystem::exists(runData));
        ASSERT_EQ(readFile(options), "renderDistance:8\n");
        std::filesystem::remove_all(layout.backups / backup.id.toStdString());
        const auto records = namedBelow(layout.tmp, ".orvane-restore-commit");
        ASSERT_EQ(records.size(), 1u);
        if (c.madeSince)
            writeFile(runData, c.madeSince);
        if (c.recordListsNoAside) {
            auto record = RestoreCommitRecord::decode(readFile(records[0]));
            ASSERT_TRUE(record && record->setAside.size() == 1u);
            record->setAside.clear();
            writeFile(records[0], record->encode());
        }

        BackupStore next(layout.backups, FileOperations::system(), layout.tmp);
        const auto [kind, error] = orvaneErrorOf(
            [&] { next.createBackup({options}, layout.instance, BackupKind::manual, "m", {}); });
        if (c.recordListsNoAside) {
            EXPECT_EQ(kind, OrvaneError::Kind::io);
            const auto kept = namedBelow(layout.tmp, "orvane-restore-kept-");
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(error, "Orvane could neither finish nor undo a restore that was interrupted: " + text(kept[0])
                                 + ": holds files the restore had moved aside. The files as they were before that "
                                   "restore are kept at " + text(kept[0]) + ". To go on, restore a backup, or remove "
                                 + text(kept[0]) + " to keep the settings as they are.");
            EXPECT_FALSE(std::filesystem::exists(runData));
        } else if (c.madeSince) {
            EXPECT_EQ(error, "<no OrvaneError>");
            const auto kept = namedBelow(layout.tmp, "orvane-restore-kept-");
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(next.interruptedRestoreNotice(),
                      "Orvane kept the settings as they are, because they changed after a restore was interrupted; "
                      "the replaced files are kept at " + text(kept[0]) + ".");
            EXPECT_EQ(readFile(runData), c.madeSince);
            EXPECT_EQ(readFile(options), "renderDistance:8\n");
            EXPECT_EQ(namedBelow(kept[0], ".orvane-restore-created-").size(), 1u);
        } else {
            EXPECT_EQ(error, "<no OrvaneError>");
            EXPECT_EQ(next.interruptedRestoreNotice(),
                      "Orvane first undid a settings restore that was interrupted, because its backup no longer "
                      "verifies.");
            EXPECT_EQ(readFile(runData), "{}");
            EXPECT_EQ(readFile(options), "renderDistance:12\n");
            EXPECT_EQ(namedBelow(layout.tmp, "orvane-restore"), std::vector<std::filesystem::path>{});
        }
    }
}

TEST(RestoreCommitRecords, ReadBackWholeOrNotAtAll)
{
    const RestoreCommitRecord full{"R1", "/h/backups/saves", "2026-12-08T072108.123Z-0f8f", "/h/modpacks/tekkit-2",
                                   std::filesystem::path("/h/technic"), std::nullopt, {}};
    RestoreCommitRecord noTechnic = full;
    noTechnic.technicRoot.reset();
    const QString a(64, QLatin1Char('a')), b(64, QLatin1Char('b'));
    RestoreCommitRecord listing = full;
    listing.files = std::vector<RestoreCommitRecord::File>{
        {"saves/World/level 1.dat", "/h/modpacks/tekkit-2/saves/World/level 1.dat", a, 8, b, 9},
        {"saves/World/region/r.0.0.mca", "/h/modpacks/tekkit-2/saves/World/region/r.0.0.mca", a, 0, {}, {}},
        {"technic-root/settings.json", "/h/technic/settings.json", b, 3, a, 4},
    };
    RestoreCommitRecord listingNothing = full;
    listingNothing.files.emplace();
    RestoreCommitRecord aside = listing;
    aside.setAside = {{".orvane-restore-created-A", "/h/modpacks/tekkit-2/bin/runData"},
                      {".orvane-restore-created-B", "/h/modpacks/tekkit-2/options 2.txt"}};
    const QByteArray head = full.encode();
    const QByteArray aBytes = a.toLatin1();
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
        {"a record listing its files", listing.encode(), listing},
        {"a record listing no files", listingNothing.encode(), listingNothing},
        {"fewer files than it counts", head + QByteArray("files=2\0file=", 14) + aBytes + " 1 - - saves/a" + '\0',
         std::nullopt},
        {"a file climbing out of its undo folder", head + QByteArray("files=1\0file=", 14) + aBytes + " 1 - - ../a" + '\0',
         std::nullopt},
        {"a digest that is not one", head + QByteArray("files=1\0file=", 14) + "x 1 - - saves/a" + '\0', std::nullopt},
        {"a record listing a created path it set aside", aside.encode(), aside},
        {"a set-aside name that is not one", head + QByteArray("aside=../x /h/modpacks/tekkit-2/bin/runData", 43) + '\0',
         std::nullopt},
        {"files without their count", head + QByteArray("file=", 5) + aBytes + " 1 - - saves/a" + '\0', std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RestoreCommitRecord::decode(c.bytes), c.read);
    }
}
