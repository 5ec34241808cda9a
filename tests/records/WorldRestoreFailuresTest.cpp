#include "model/FileDigest.h"
#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "records/RestoreRollback.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"
#include "WorldRestoreFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <stdexcept>

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;
using Kind = RestoreCheckpoint::Kind;

TEST_F(WorldRestore, AnInjectedFailureOfTheSecondSwapRollsBackTheFirst)
{
    files->failOn(Op::swap, 2, EIO);
    EXPECT_EQ(orvaneErrorOf([&] { restore(); }),
              ioError("Orvane could not atomically swap " + text(region) + ": Input/output error"));
    EXPECT_EQ(treeOf(layout.instance), before);
    expectNothingLeftBehind();

    // A file system without an atomic exchange restores by exclusive moves instead, never with a
    // plain copy over a file.
    files->failFrom(Op::swap, 1, EINVAL);
    restore();
    EXPECT_EQ(treeOf(layout.instance), restored);
    expectNothingLeftBehind();
}

TEST_F(WorldRestore, FailuresWhilePreparingReplaceNothing)
{
    const auto snapshot = layout.worldStore / backup.id.toStdString();
    const struct Case {
        const char* name;
        std::function<void()> arrange;
        std::pair<OrvaneError::Kind, QString> error;
    } cases[] = {
        {"a copy in the backup that lost its bytes (its size unchanged)",
         [&] { writeFile(snapshot / "saves/World/region/r.0.0.mca", QByteArray(200000, 'x')); },
         corruptError("hash mismatch saves/World/region/r.0.0.mca")},
        {"a destination replaced right after its undo link was made",
         [&] {
             files->beforeEach = [&](Op op, const std::filesystem::path& path) {
                 if (op == Op::cloneOrCopy && path.filename() == "level.dat") {
                     writeFile(layout.saves / "fresh", "level v3");
                     std::filesystem::rename(layout.saves / "fresh", level);
                 }
             };
         },
         ioError("A world file changed while Orvane prepared restore. Nothing was replaced.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        EXPECT_EQ(orvaneErrorOf([&] { restore(); }), c.error);
        if (readFile(level) == "level v3")
            before["saves/World/level.dat"] = "level v3";
        EXPECT_EQ(treeOf(layout.instance), before);
        expectNothingLeftBehind();
        files->beforeEach = nullptr;
    }

    // Platform failures of staging pass through, also with nothing replaced.
    writeFile(snapshot / "saves/World/region/r.0.0.mca", QByteArray(200000, 'a'));
    for (const Op op : {Op::cloneOrCopy, Op::hardLink, Op::syncFileSystem}) {
        files->failOn(op, op == Op::syncFileSystem ? 1 : 2, EIO);
        EXPECT_THROW(restore(), std::system_error);
        EXPECT_EQ(treeOf(layout.instance), before);
        expectNothingLeftBehind();
    }
}

TEST_F(WorldRestore, ANewerBackupWhoseCopyFailsItsDigestGivesWayToTheOlderOne)
{
    // The newest backup is chosen by manifest and sizes; one of its copies changed, keeping its size.
    store.setClock([] { return QDateTime::currentDateTimeUtc().addSecs(60); });
    const BackupManifest newer = store.createWorldBackup(layout.instance, "World backup.");
    writeFile(layout.worldStore / newer.id.toStdString() / "saves/World/level.dat", "level v2, a little LONGER");
    EXPECT_EQ(store.latestBackup(layout.instance, BackupKind::saves)->manifest.id, newer.id);

    const RestoreResult result = restore();
    EXPECT_EQ(result.backupId, backup.id);
    EXPECT_EQ(treeOf(layout.instance), restored);
    expectNothingLeftBehind();

    // Given by its id, the damaged backup is refused, and nothing is replaced.
    writeFile(level, "level now");
    EXPECT_EQ(orvaneErrorOf([&] { store.restoreBackup(newer, layout.instance, std::nullopt); }),
              corruptError("hash mismatch saves/World/level.dat"));
    EXPECT_EQ(readFile(level), "level now");
    expectNothingLeftBehind();
}

TEST_F(WorldRestore, PreservingUnexpectedBytesOfACreatedFile)
{
    PreparedRestoreFile file;
    file.manifestFile = backup.files[2];
    file.destination = stats;
    file.existed = false;

    writeFile(stats, "{\"played\": 1}");
    restoreRollback::preserveUnexpectedBytes(*files, file);
    EXPECT_FALSE(std::filesystem::exists(stats));

    writeFile(stats, "the game's own");
    EXPECT_EQ(orvaneErrorOf([&] { restoreRollback::preserveUnexpectedBytes(*files, file); }),
              ioError("The destination changed during rollback. Unexpected bytes were preserved."));
    EXPECT_EQ(readFile(stats), "the game's own");

    files->failOn(Op::moveNoReplace, 2);
    const auto error = orvaneErrorOf([&] { restoreRollback::preserveUnexpectedBytes(*files, file); });
    EXPECT_TRUE(error.second.startsWith("Rollback found unexpected bytes and preserved them at "
                                        + text(stats.parent_path() / ".orvane-restore-preserved-")));
    const auto kept = restoreLeftovers(layout.saves);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(readFile(kept[0]), "the game's own");
}

TEST_F(WorldRestore, AStageOrDestinationThatIsNotWhatWasCheckedIsRefusedWithNothingReplaced)
{
    // The stage in the private folder that holds `bytes`.
    const auto stageHolding = [&](const QByteArray& bytes) {
        for (const auto& entry : entriesOf(layout.tmp)) {
            if (entry.filename().native().rfind(".orvane-restore-stage-", 0) == 0 && readFile(entry) == bytes)
                return entry;
        }
        ADD_FAILURE() << "no stage holds the bytes";
        return std::filesystem::path();
    };
    const auto appendTo = [](const std::filesystem::path& path) {
        std::ofstream(path, std::ios::app | std::ios::binary) << "x";
    };
    const QString stageChanged = QStringLiteral(
        "A staged world file changed before Orvane put it in place. Orvane stopped and rolled back completed "
        "replacements.");
    struct Case {
        const char* name;
        std::function<void()> arrange;      // before the restore
        std::optional<std::int64_t> index; // the file before whose swap `alter` runs
        std::function<void()> alter;
        QString error;
    };
    const std::vector<Case> cases{
        {"the first stage written to before its swap", {}, 0,
         [&] { appendTo(stageHolding("level v1")); }, stageChanged},
        {"a later stage written to after an earlier swap", {}, 1,
         [&] { appendTo(stageHolding(QByteArray(200000, 'a'))); }, stageChanged},
        {"a stage only touched", {}, 0,
         [&] {
             const auto stage = stageHolding("level v1");
             std::filesystem::last_write_time(stage, std::filesystem::last_write_time(stage) - std::chrono::hours(1));
         },
         stageChanged},
        {"a FIFO at a destination", [&] {
             std::filesystem::remove(region);
             ASSERT_EQ(::mkfifo(region.c_str(), 0600), 0);
         }, std::nullopt, {},
         "The restore destination " + text(region) + " is not a regular file. Nothing was replaced."},
        {"a folder at a destination", [&] {
             std::filesystem::remove(level);
             std::filesystem::create_directory(level);
         }, std::nullopt, {},
         "The restore destination " + text(level) + " is not a regular file. Nothing was replaced."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(layout.tmp);
        std::filesystem::remove_all(level);
        std::filesystem::remove_all(region);
        writeFile(level, "level v2, a little longer");
        writeFile(region, QByteArray(150000, 'b'));
        if (c.arrange)
            c.arrange();
        const auto world = treeOf(layout.instance);
        store.setRestoreCheckpoint({});
        if (c.index)
            at(Kind::beforeAtomicCommit, *c.index, c.alter);

        EXPECT_EQ(orvaneErrorOf([&] { restore(); }), ioError(c.error));
        EXPECT_EQ(treeOf(layout.instance), world);
        EXPECT_TRUE(restoreLeftovers(layout.instance).empty());
    }
}
