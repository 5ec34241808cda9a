#include "json/JsonWriter.h"
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

#include <QStringList>

#include <cerrno>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

using InterruptedRecovery = InterruptedWorld;

QString joined(const std::vector<std::filesystem::path>& folders)
{
    QStringList texts;
    for (const auto& folder : folders)
        texts.push_back(text(folder));
    return texts.join(QStringLiteral(" and "));
}

QString waysOut(const std::vector<std::filesystem::path>& kept)
{
    return " To go on, restore a backup, or remove " + joined(kept) + " to keep the world as it is.";
}

// What a file manager that hides dot files leaves when the user deletes everything in a kept folder:
// its record.
void emptyButForItsRecord(const std::filesystem::path& keptFolder)
{
    for (const auto& [relative, bytes] : treeOf(keptFolder)) {
        if (keptFolder / relative != RestoreCommitRecord::fileIn(keptFolder))
            std::filesystem::remove(keptFolder / relative);
    }
}

} // namespace

TEST_F(InterruptedRecovery, ARecoveryShortOfSpaceSaysHowMuchToFreeAndWhereThenStagesOnlyWhatIsNotRestoredYet)
{
    struct Case {
        const char* name;
        bool nextIsRestore;
        bool noSpaceWhileStaging; // the check passes, the disk fills up while the recovery stages
        std::vector<std::filesystem::path> volumes;
    };
    const std::vector<Case> cases{
        {"too little space, then a backup", false, false, {}},
        {"too little space, then a restore", true, false, {}},
        {"too little space, the saves on a volume of their own", false, false, {layout.tmp, layout.saves}},
        {"the disk full while staging: nothing more is replaced", false, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto volumes = std::make_shared<SeparateVolumes>(c.volumes);
        startCase();
        killRestoreAtSwap(2, volumes); // villages.dat replaced; level.dat and the region staged, not yet
        const auto stagesLeft = [&] {
            auto found = namedBelow(layout.tmp, ".orvane-restore-stage-");
            for (const auto& stage : namedBelow(layout.saves, ".orvane-restore-stage-"))
                found.push_back(stage);
            return found;
        };
        ASSERT_FALSE(stagesLeft().empty());
        const auto records = [&] {
            auto found = namedBelow(layout.tmp, ".orvane-restore-commit");
            for (const auto& record : namedBelow(layout.saves, ".orvane-restore-commit"))
                found.push_back(record);
            return found;
        };
        const auto recordsBefore = records();
        const auto mixed = world();

        const auto files = std::make_shared<FaultyFileOperations>(volumes);
        const auto next = [&] {
            BackupStore store = this->store(files);
            if (c.nextIsRestore)
                store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
            else
                std::filesystem::remove_all(layout.worldStore
                                            / store.createWorldBackup(layout.instance, "after").id.toStdString());
            return store.interruptedRestoreNotice();
        };
        if (c.noSpaceWhileStaging) {
            files->failOn(Op::cloneOrCopy, 1, ENOSPC);
            EXPECT_THROW(next(), std::system_error);
        } else {
            // level.dat and the region (8 and 100,000 bytes) in whole blocks, and a margin for records.
            files->reportAvailableBytes(0);
            EXPECT_EQ(orvaneErrorOf(next),
                      ioError("There is not enough free space to finish a world restore that was interrupted: free at "
                              "least 1.2 MB on the disk that holds "
                              + text(layout.instance) + ", then try again. Nothing was changed."));
        }
        // What the killed run no longer needed is gone; its undo data and records stay, the world as it was.
        EXPECT_EQ(stagesLeft(), std::vector<std::filesystem::path>{});
        EXPECT_EQ(records(), recordsBefore);
        EXPECT_EQ(world(), mixed);

        // With the space there it finishes, copying only the two files not restored yet, and then three
        // for the backup or restore itself.
        files->reportAvailableBytes(std::nullopt);
        const int copies = files->calls(Op::cloneOrCopy);
        EXPECT_EQ(next(), kFinished);
        EXPECT_EQ(files->calls(Op::cloneOrCopy) - copies, 2 + 3);
        EXPECT_EQ(world(), backedUp);
        EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});
    }
}

TEST_F(InterruptedRecovery, ARestoreInterruptedThroughOneSpellingOfItsFoldersIsFinishedThroughAnother)
{
    // A link to the Technic data folder, as ~/.technic often is, and one to Orvane's own data folder.
    const auto technicLink = layout.home / "technic-link";
    const auto dataLink = layout.home / "orvane-link";
    std::filesystem::create_directory_symlink(layout.technicRoot, technicLink);
    std::filesystem::create_directory_symlink(layout.tmp.parent_path(), dataLink);
    const auto linkedInstance = technicLink / "modpacks/tekkit-2";
    const auto linkedSaves = linkedInstance / "saves";
    struct Spelling {
        std::filesystem::path instance;
        std::filesystem::path data; // holds backups/ and tmp/
    };
    const Spelling plain{layout.instance, layout.tmp.parent_path()};
    struct Case {
        const char* name;
        Spelling killed, next;
        std::vector<std::filesystem::path> volumes;
    };
    const std::vector<Case> cases{
        {"killed through the link, then a backup through its target", {linkedInstance, plain.data}, plain, {}},
        {"killed through the target, then a backup through the link", plain, {linkedInstance, plain.data}, {}},
        {"the saves a volume of their own, so their folders serve: killed through the link",
         {linkedInstance, plain.data},
         plain,
         {layout.tmp, linkedSaves, layout.saves}},
        {"Orvane's data folder reached through a link when the restore was killed", {plain.instance, dataLink}, plain,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto volumes = std::make_shared<SeparateVolumes>(c.volumes);
        const auto storeAt = [&](const Spelling& spelling, std::shared_ptr<FileOperations> files) {
            return BackupStore(spelling.data / "backups/saves", std::move(files), spelling.data / "tmp");
        };
        for (const auto& [relative, bytes] : backedUp)
            writeFile(layout.saves / relative, bytes);
        // A backup recorded through the spelling the restore is made through.
        const BackupManifest made = storeAt(c.killed, FileOperations::system()).createWorldBackup(c.killed.instance, "w");
        changeWorld();
        auto swaps = std::make_shared<int>(0);
        ASSERT_TRUE(killedWhen([=](Op op, const std::filesystem::path&) { return op == Op::swap && ++*swaps == 2; },
                               [&](const auto& files) {
                                   storeAt(c.killed, files).restoreLatestBackup(c.killed.instance, std::nullopt,
                                                                                BackupKind::saves);
                               },
                               volumes));
        ASSERT_NE(world(), changed);

        BackupStore next = storeAt(c.next, volumes);
        const BackupManifest after = next.createWorldBackup(c.next.instance, "after");
        EXPECT_EQ(next.interruptedRestoreNotice(), kFinished);
        EXPECT_EQ(world(), backedUp);
        for (const auto& file : after.files)
            EXPECT_EQ(readFile(layout.worldStore / after.id.toStdString() / pathFromText(file.relativePath)),
                      backedUp.at(file.relativePath.mid(6).toStdString())); // after "saves/"
        EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});
        std::filesystem::remove_all(layout.worldStore / after.id.toStdString());
        std::filesystem::remove_all(layout.worldStore / made.id.toStdString());
    }
}

TEST_F(InterruptedRecovery, ARefusalOfAKeptRestoreSaysWhatIsTrueNowAndEndsOnceTheWorldIsWholeOrTheKeptFolderIsGone)
{
    enum class Damage { undoFileDeleted, undoFileCorrupted, worldFolderLinkedBack };
    enum class WayOut { removeKeptFolder, emptyKeptFolder, restoreOlderBackup, moveWorldFolderBack };
    struct Case {
        const char* name;
        int killAtSwap;
        Damage damage;
        WayOut wayOut;
        const char* why; // what the refusal says is true now, after the file's path
    };
    const Case cases[] = {
        {"an undo file deleted, the backup gone: the kept folder removed", 3, Damage::undoFileDeleted,
         WayOut::removeKeptFolder, ": verified undo data is missing"},
        {"an undo file deleted, the backup gone: an older backup restored", 3, Damage::undoFileDeleted,
         WayOut::restoreOlderBackup, ": verified undo data is missing"},
        {"an undo file damaged, the backup gone: every file of the kept folder deleted but its hidden record", 2,
         Damage::undoFileCorrupted, WayOut::emptyKeptFolder, ": undo data failed verification"},
        {"the world folder moved away and linked back, then moved back", 2, Damage::worldFolderLinkedBack,
         WayOut::moveWorldFolderBack, nullptr},
    };
    const auto worldFolder = layout.saves / "World";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startCase();
        // An older backup of the world as it is now, which a restore may take instead.
        BackupStore past = store(FileOperations::system());
        past.setClock([] { return QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC); });
        BackupManifest older = past.createWorldBackup(layout.instance, "older");
        // Dated and counted as made before the store counted its backups: older than every counted one.
        older.sequence.reset();
        writeFile(layout.worldStore / older.id.toStdString() / "manifest.json", encodeJson(toJson(older)));
        killRestoreAtSwap(c.killAtSwap, FileOperations::system());
        const auto undo = namedBelow(layout.tmp, "orvane-restore-undo-");
        ASSERT_EQ(undo.size(), 1u);
        const auto moved = layout.home / "World moved";
        switch (c.damage) {
        case Damage::undoFileDeleted:
            std::filesystem::remove(undo[0] / "saves/World/data/villages.dat");
            break;
        case Damage::undoFileCorrupted:
            writeFile(undo[0] / "saves/World/data/villages.dat", "villages vX");
            break;
        case Damage::worldFolderLinkedBack:
            std::filesystem::rename(worldFolder, moved);
            std::filesystem::create_directory_symlink(moved, worldFolder);
            break;
        }
        if (c.damage != Damage::worldFolderLinkedBack)
            std::filesystem::remove_all(layout.worldStore / backup.id.toStdString());
        const auto worldNow = [&] { return treeOf(std::filesystem::exists(moved) ? moved : worldFolder); };

        // The first refusal puts back what it can (level.dat, when it was replaced); from then on the
        // world stays as it is, mixed, and no backup records it.
        std::vector<std::pair<OrvaneError::Kind, QString>> refusals;
        std::map<std::string, QByteArray> mixed;
        for (int attempt = 0; attempt < 2; ++attempt) {
            refusals.push_back(orvaneErrorOf([&] { store(FileOperations::system()).createWorldBackup(layout.instance, "w"); }));
            if (attempt == 0)
                mixed = worldNow();
        }
        EXPECT_EQ(mixed.at("data/villages.dat"), backedUp.at("World/data/villages.dat"));
        const auto kept = namedBelow(layout.tmp, "orvane-restore-kept-");
        ASSERT_EQ(kept.size(), 1u);
        const QString why = c.why ? text(villages) + c.why
                                  : text(worldFolder) + " is a symbolic link now, so Orvane will not put files back through it";
        EXPECT_EQ(refusals[0], ioError("Orvane could neither finish nor undo a restore that was interrupted: " + why
                                       + ". The files as they were before that restore are kept at " + text(kept[0])
                                       + "." + waysOut(kept)));
        EXPECT_EQ(refusals[1], refusals[0]);
        EXPECT_EQ(worldNow(), mixed);

        std::optional<std::map<std::string, QByteArray>> whole; // the world once the way out is taken
        switch (c.wayOut) {
        case WayOut::removeKeptFolder:
            std::filesystem::remove_all(kept[0]);
            break;
        case WayOut::emptyKeptFolder:
            emptyButForItsRecord(kept[0]);
            break;
        case WayOut::restoreOlderBackup:
            EXPECT_EQ(store(FileOperations::system())
                          .restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves)
                          .backupId,
                      older.id);
            whole = changed;
            break;
        case WayOut::moveWorldFolderBack:
            std::filesystem::remove(worldFolder);
            std::filesystem::rename(moved, worldFolder);
            whole = backedUp;
            break;
        }
        BackupStore next = store(FileOperations::system());
        const BackupManifest made = next.createWorldBackup(layout.instance, "w");
        EXPECT_EQ(made.files.size(), 3u);
        if (whole) {
            EXPECT_EQ(world(), *whole);
        }
        EXPECT_EQ(next.interruptedRestoreNotice(),
                  c.wayOut == WayOut::moveWorldFolderBack ? std::optional(kFinished) : std::nullopt);
        // A kept folder that holds nothing but its record is gone; one that holds files keeps them.
        for (const auto& folder : kept) {
            EXPECT_FALSE(std::filesystem::exists(RestoreCommitRecord::fileIn(folder)));
            if (c.wayOut == WayOut::emptyKeptFolder) {
                EXPECT_FALSE(std::filesystem::exists(folder));
            }
            std::filesystem::remove_all(folder);
        }
        std::filesystem::remove_all(layout.worldStore / made.id.toStdString());
        std::filesystem::remove_all(layout.worldStore / older.id.toStdString());
    }
}

TEST_F(InterruptedRecovery, AWorldKeptAsItIsIsNeverRecordedUntilABackupIsRestoredOrTheKeptFolderRemoved)
{
    enum class WayOut { restore, removeKeptFolder, emptyKeptFolder };
    struct Case {
        const char* name;
        bool firstIsRestore; // the operation that finds the played world
        WayOut wayOut;
    };
    const Case cases[] = {
        {"found by a backup, then a backup restored", false, WayOut::restore},
        {"found by a backup, then the kept folder removed", false, WayOut::removeKeptFolder},
        {"found by a restore, then every file of the kept folder deleted but its hidden record", true,
         WayOut::emptyKeptFolder},
        {"found by a restore, which replaces nothing; the next restore replaces it", true, WayOut::restore},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startCase();
        killRestoreAtSwap(2, FileOperations::system()); // villages.dat replaced, level.dat not yet
        // The game writes in place: to the restored file, and to one the restore had not replaced.
        writeFile(villages, "villages played");
        writeFile(level, "level played");
        const auto played = world();
        const auto backups = [&] { return store(FileOperations::system()).listBackups().size(); };
        const std::size_t backupsBefore = backups();

        BackupStore first = store(FileOperations::system());
        const auto firstError = orvaneErrorOf([&] {
            if (c.firstIsRestore)
                first.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
            else
                first.createWorldBackup(layout.instance, "found");
        });
        const auto kept = namedBelow(layout.tmp, "orvane-restore-kept-");
        ASSERT_EQ(kept.size(), 1u);
        const QString keptAsItIs = "Orvane kept the world as it is, because it changed after a restore was interrupted; "
                                   "the replaced files are kept at " + text(kept[0]) + ".";
        if (c.firstIsRestore) {
            EXPECT_EQ(firstError, ioError(keptAsItIs + " Nothing was replaced."));
        } else {
            EXPECT_EQ(first.interruptedRestoreNotice(), keptAsItIs);
            std::filesystem::remove_all(layout.worldStore / first.listBackups().front().manifest.id.toStdString());
        }
        EXPECT_EQ(world(), played);

        // Every later backup refuses with one text until a way out is taken.
        for (int attempt = 0; attempt < 2; ++attempt) {
            EXPECT_EQ(orvaneErrorOf([&] { store(FileOperations::system()).createWorldBackup(layout.instance, "w"); }),
                      ioError(keptAsItIs + waysOut(kept)));
        }
        EXPECT_EQ(backups(), backupsBefore);
        EXPECT_EQ(world(), played);
        EXPECT_EQ(readFile(kept[0] / "saves/World/data/villages.dat"), "villages v2");

        switch (c.wayOut) {
        case WayOut::restore:
            store(FileOperations::system()).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
            EXPECT_EQ(world(), backedUp);
            // Its record is gone; the files it kept stay, as the user was told.
            EXPECT_FALSE(std::filesystem::exists(RestoreCommitRecord::fileIn(kept[0])));
            EXPECT_EQ(readFile(kept[0] / "saves/World/data/villages.dat"), "villages v2");
            break;
        case WayOut::removeKeptFolder:
            std::filesystem::remove_all(kept[0]);
            break;
        case WayOut::emptyKeptFolder:
            emptyButForItsRecord(kept[0]);
            break;
        }
        BackupStore next = store(FileOperations::system());
        const BackupManifest made = next.createWorldBackup(layout.instance, "w");
        EXPECT_EQ(next.interruptedRestoreNotice(), std::nullopt);
        const auto& recorded = c.wayOut == WayOut::restore ? backedUp : played;
        for (const auto& file : made.files)
            EXPECT_EQ(readFile(layout.worldStore / made.id.toStdString() / pathFromText(file.relativePath)),
                      recorded.at(file.relativePath.mid(6).toStdString())); // after "saves/"
        if (c.wayOut == WayOut::emptyKeptFolder) {
            EXPECT_FALSE(std::filesystem::exists(kept[0]));
        }
        std::filesystem::remove_all(kept[0]);
        std::filesystem::remove_all(layout.worldStore / made.id.toStdString());
    }
}

TEST_F(InterruptedRecovery, AnUndoFolderWhoseRecordCannotBeReadStopsEveryBackupAndRestoreAndKeepsAllItHolds)
{
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path& record)> damage;
    };
    const Case cases[] = {
        {"cut to half its length", [](const auto& record) {
             const QByteArray bytes = readFile(record);
             writeFile(record, bytes.left(bytes.size() / 2));
         }},
        {"bytes that are no record", [](const auto& record) { writeFile(record, "not a record"); }},
        {"a folder in its place", [](const auto& record) {
             std::filesystem::remove(record);
             std::filesystem::create_directory(record);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startCase();
        killRestoreAtSwap(2, FileOperations::system());
        const auto undo = namedBelow(layout.tmp, "orvane-restore-undo-");
        ASSERT_EQ(undo.size(), 1u);
        c.damage(RestoreCommitRecord::fileIn(undo[0]));
        const auto held = treeOf(undo[0]);
        const auto mixed = world();
        const auto refusal = ioError("Orvane cannot read the record of a restore that was interrupted in " + text(undo[0])
                                     + ", so it cannot tell which files that restore replaced. Nothing was changed. "
                                       "Take back what you need from "
                                     + text(undo[0]) + ", then remove it.");

        for (int attempt = 0; attempt < 2; ++attempt) {
            EXPECT_EQ(orvaneErrorOf([&] { store(FileOperations::system()).createWorldBackup(layout.instance, "w"); }),
                      refusal);
            EXPECT_EQ(orvaneErrorOf([&] {
                          store(FileOperations::system())
                              .restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
                      }),
                      refusal);
        }
        EXPECT_EQ(treeOf(undo[0]), held);
        EXPECT_EQ(world(), mixed);
        EXPECT_EQ(store(FileOperations::system()).listBackups().size(), 1u);

        // Removed by the user, it stops nothing any more.
        std::filesystem::remove_all(undo[0]);
        std::filesystem::remove_all(layout.worldStore
                                    / store(FileOperations::system()).createWorldBackup(layout.instance, "w").id.toStdString());
    }
}

TEST_F(InterruptedRecovery, ADamagedRecordOfAnotherInstanceLeavesThisInstancesRecoveryAlone)
{
    killRestoreAtSwap(2, FileOperations::system());
    const auto undo = namedBelow(layout.tmp, "orvane-restore-undo-");
    ASSERT_EQ(undo.size(), 1u);
    auto record = RestoreCommitRecord::decode(readFile(RestoreCommitRecord::fileIn(undo[0])));
    ASSERT_TRUE(record);
    record->instanceRoot = layout.technicRoot / "modpacks/another-pack";
    const QByteArray other = record->encode();
    const auto otherUndo = layout.tmp / "orvane-restore-undo-0F8FAD5B-D9CB-469F-A165-70867728950E";
    writeFile(RestoreCommitRecord::fileIn(otherUndo), other.left(other.size() / 2));
    writeFile(otherUndo / "saves/World/level.dat", "another pack's level");
    const auto held = treeOf(otherUndo);

    BackupStore next = store(FileOperations::system());
    next.createWorldBackup(layout.instance, "w");
    EXPECT_EQ(next.interruptedRestoreNotice(), kFinished);
    EXPECT_EQ(world(), backedUp);
    EXPECT_EQ(treeOf(otherUndo), held);
}
