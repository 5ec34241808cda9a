#include "model/FileDigest.h"
#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <stdexcept>

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;
using Kind = RestoreCheckpoint::Kind;

namespace {

struct HookError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Real file operations that note the copies (and whether each was synced to disk), flushes and swaps.
struct CopyRecorder final : FileOperations {
    std::shared_ptr<FileOperations> real = FileOperations::system();
    std::vector<std::string> events;
    std::uint64_t copiedBytes = 0;

    void writeAtomically(const std::filesystem::path& p, const QByteArray& b, mode_t m) override
    {
        real->writeAtomically(p, b, m);
    }
    QByteArray readRegularFile(const std::filesystem::path& p, std::uint64_t max, bool follow) override
    {
        return real->readRegularFile(p, max, follow);
    }
    CopiedFile cloneOrCopy(const std::filesystem::path& s, const std::filesystem::path& t, bool durable) override
    {
        events.push_back(durable ? "durable copy" : "copy");
        const CopiedFile copied = real->cloneOrCopy(s, t, durable);
        copiedBytes += copied.byteCount;
        return copied;
    }
    void swap(const std::filesystem::path& a, const std::filesystem::path& b) override
    {
        events.push_back("swap");
        real->swap(a, b);
    }
    void hardLink(const std::filesystem::path& e, const std::filesystem::path& l) override { real->hardLink(e, l); }
    void syncFileSystem(const std::filesystem::path& p) override
    {
        events.push_back("flush");
        real->syncFileSystem(p);
    }
    void moveNoReplace(const std::filesystem::path& f, const std::filesystem::path& t) override
    {
        real->moveNoReplace(f, t);
    }
    void rename(const std::filesystem::path& f, const std::filesystem::path& t) override { real->rename(f, t); }
    void removeFile(const std::filesystem::path& p) override { real->removeFile(p); }
    void createDirectories(const std::filesystem::path& p, mode_t m) override { real->createDirectories(p, m); }
    void syncDirectory(const std::filesystem::path& p) override { real->syncDirectory(p); }
    void swapAt(const FolderItem& a, const FolderItem& b) override
    {
        events.push_back("swap");
        real->swapAt(a, b);
    }
    void moveNoReplaceAt(const FolderItem& f, const FolderItem& t) override { real->moveNoReplaceAt(f, t); }
    void hardLinkAt(const FolderItem& e, const FolderItem& l) override { real->hardLinkAt(e, l); }
    void removeFileAt(const FolderItem& i) override { real->removeFileAt(i); }
};

// A world backup of three files, after which the world moved on: two files changed, one was
// deleted and one was added. In manifest order: level.dat (swapped), r.0.0.mca (swapped),
// stats/player.json (created by an exclusive move).
struct WorldRestore : ::testing::Test {
    RestoreLayout layout;
    std::shared_ptr<FaultyFileOperations> files = std::make_shared<FaultyFileOperations>();
    BackupStore store{layout.worldStore, files, layout.tmp};
    std::filesystem::path level = layout.saves / "World/level.dat";
    std::filesystem::path region = layout.saves / "World/region/r.0.0.mca";
    std::filesystem::path stats = layout.saves / "World/stats/player.json";
    std::filesystem::path added = layout.saves / "World/added.dat";
    BackupManifest backup;
    std::map<std::string, QByteArray> before; // the instance right before the restore
    std::map<std::string, QByteArray> restored; // the instance as a successful restore leaves it

    WorldRestore()
    {
        writeFile(level, "level v1");
        writeFile(region, QByteArray(200000, 'a'));
        writeFile(stats, "{\"played\": 1}");
        backup = store.createWorldBackup(layout.instance, "World backup.");
        restored = treeOf(layout.instance);

        writeFile(level, "level v2, a little longer");
        writeFile(region, QByteArray(150000, 'b'));
        std::filesystem::remove(stats);
        writeFile(added, "added later");
        before = treeOf(layout.instance);
        restored["saves/World/added.dat"] = "added later";
    }

    RestoreResult restore() { return store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves); }

    // The hook calls `action` once, at `kind` for file `index`.
    void at(Kind kind, std::int64_t index, std::function<void()> action)
    {
        store.setRestoreCheckpoint([=](const RestoreCheckpoint& point) {
            if (point.kind == kind && point.index == index)
                action();
        });
    }

    // The one undo folder a failed rollback kept.
    std::filesystem::path keptUndoFolder() const
    {
        const auto entries = entriesOf(layout.tmp);
        EXPECT_EQ(entries.size(), 1u);
        return entries.empty() ? std::filesystem::path() : entries.front();
    }

    void expectNothingLeftBehind() const
    {
        EXPECT_TRUE(entriesOf(layout.tmp).empty());
        EXPECT_TRUE(restoreLeftovers(layout.technicRoot).empty());
    }
};

} // namespace

TEST_F(WorldRestore, PutsEveryFileBackAndLeavesNothingBehind)
{
    const RestoreResult result = restore();

    EXPECT_EQ(treeOf(layout.instance), restored);
    EXPECT_EQ(result.backupId, backup.id);
    EXPECT_EQ(result.restoredFiles, (std::vector<QString>{text(level), text(region), text(stats)}));
    EXPECT_TRUE(result.deletedCreatedFiles.empty());
    EXPECT_EQ(result.verification,
              (RestoreVerification{BackupKind::saves, 3, std::uint64_t(backup.totalByteCount()), "SHA-256"}));
    EXPECT_FALSE(result.needsReapplyForMojangJava);
    EXPECT_FALSE(result.message);
    expectNothingLeftBehind();

    struct stat st {};
    ASSERT_EQ(::lstat(layout.tmp.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // The backup stays the recovery point, and restoring again changes nothing.
    EXPECT_EQ(restore().restoredFiles.size(), 3u);
    EXPECT_EQ(treeOf(layout.instance), restored);
}

TEST_F(WorldRestore, RestoredFilesAreTheRecordedTextsNotTheStandardisedPaths)
{
    BackupManifest m = backup;
    m.files[0].originalPath = text(layout.instance / "saves/World/../World/level.dat");
    const auto folder = layout.worldStore / m.id.toStdString();
    const auto result = store.restoreAtomically(ListedBackup{m, folder}, layout.instance, std::nullopt);
    EXPECT_EQ(result.restoredFiles[0], m.files[0].originalPath);
    EXPECT_EQ(readFile(level), "level v1");
}

TEST_F(WorldRestore, AHookThrowingAtAnyCommitPointLeavesEveryFileAsItWas)
{
    for (const Kind kind : {Kind::beforeCommit, Kind::beforeAtomicCommit}) {
        for (std::int64_t index = 0; index < 3; ++index) {
            SCOPED_TRACE(testing::Message() << "kind " << int(kind) << " index " << index);
            at(kind, index, [] { throw HookError("stop here"); });
            EXPECT_THROW(restore(), HookError);
            EXPECT_EQ(treeOf(layout.instance), before);
            expectNothingLeftBehind();
        }
    }
    // The checkpoints come in order, with each destination.
    std::vector<RestoreCheckpoint> seen;
    store.setRestoreCheckpoint([&](const RestoreCheckpoint& point) { seen.push_back(point); });
    restore();
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[2], (RestoreCheckpoint{Kind::beforeCommit, 1, region}));
    EXPECT_EQ(seen[5], (RestoreCheckpoint{Kind::beforeAtomicCommit, 2, stats}));
}

TEST_F(WorldRestore, AHookThrowingAtRollbackKeepsTheRestoredBytesAndTheUndoFolder)
{
    store.setRestoreCheckpoint([](const RestoreCheckpoint& point) {
        if (point.kind == Kind::beforeAtomicCommit && point.index == 2)
            throw HookError("stopped before the third file.");
        if (point.kind == Kind::beforeRollback && point.index == 0)
            throw HookError("rollback of the first file refused.");
    });
    const auto error = orvaneErrorOf([&] { restore(); });
    const auto undo = keptUndoFolder();
    EXPECT_EQ(error, ioError("Restore failed: stopped before the third file. Rollback also failed: " + text(level)
                             + ": rollback of the first file refused.. The files as they were before the restore are "
                               "kept at " + text(undo)
                             + ". Keep the verified Orvane backup and do not launch the affected instance."));
    EXPECT_EQ(readFile(level), "level v1");                 // its rollback never ran
    EXPECT_EQ(readFile(region), QByteArray(150000, 'b')); // rolled back
    EXPECT_FALSE(std::filesystem::exists(stats));
    EXPECT_EQ(readFile(undo / "saves/World/level.dat"), "level v2, a little longer");
    EXPECT_TRUE(restoreLeftovers(layout.instance).empty());
}

TEST_F(WorldRestore, TheStagesAndUndoLinksAreOnDiskBeforeTheFirstSwapAfterOneFlush)
{
    // A power cut after a swap must find the backed-up bytes written out, and the prior bytes under
    // their undo name; one flush of the file system before the first swap does both.
    const auto recorder = std::make_shared<CopyRecorder>();
    store.setFileOperations(recorder);
    at(Kind::beforeAtomicCommit, 2, [] { throw HookError("stop."); });
    EXPECT_THROW(restore(), HookError);
    EXPECT_EQ(treeOf(layout.instance), before);
    // Three stages (not flushed one by one), one flush, two swaps; then two rollback copies, each
    // flushed before the swap that puts it back; then one flush of what was put back before the
    // records go.
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"copy", "copy", "copy", "flush", "swap", "swap", "durable copy",
                                                         "swap", "durable copy", "swap", "flush"}));
}

TEST_F(WorldRestore, EachFileIsReadOnceFromTheBackupAndOnceAsItWasBeforeTheRestore)
{
    // Three copies of the backup and the two prior files: counted by the bytes hashed.
    const auto recorder = std::make_shared<CopyRecorder>();
    store.setFileOperations(recorder);
    restore();
    EXPECT_EQ(recorder->copiedBytes, std::uint64_t(backup.totalByteCount()));
    EXPECT_EQ(std::count(recorder->events.begin(), recorder->events.end(), "copy"), 3);
    // One flush before the first swap, one after the last.
    EXPECT_EQ(std::count(recorder->events.begin(), recorder->events.end(), "flush"), 2);
}

TEST_F(WorldRestore, ADestinationChangedBeforeItsCommitStopsAndKeepsTheNewBytes)
{
    at(Kind::beforeCommit, 1, [&] { writeFile(region, "the game saved again"); });
    EXPECT_EQ(orvaneErrorOf([&] { restore(); }),
              ioError("A world file changed while Orvane was restoring. Orvane stopped and rolled back completed "
                      "replacements."));
    before["saves/World/region/r.0.0.mca"] = "the game saved again";
    EXPECT_EQ(treeOf(layout.instance), before);
    expectNothingLeftBehind();

    // Removed is changed too.
    at(Kind::beforeCommit, 1, [&] { std::filesystem::remove(region); });
    EXPECT_EQ(orvaneErrorOf([&] { restore(); }).second.left(31), "A world file changed while Orva");
    EXPECT_EQ(readFile(level), "level v2, a little longer");
}

TEST_F(WorldRestore, ADestinationThatAppearsBeforeItsCommitIsLeftAlone)
{
    at(Kind::beforeCommit, 2, [&] { writeFile(stats, "written by the game"); });
    EXPECT_EQ(orvaneErrorOf([&] { restore(); }),
              ioError("A world file appeared while Orvane was restoring. Orvane stopped and rolled back completed "
                      "replacements."));
    before["saves/World/stats/player.json"] = "written by the game";
    EXPECT_EQ(treeOf(layout.instance), before);
    expectNothingLeftBehind();

    // Appearing after the last check: the exclusive rename refuses to replace it.
    std::filesystem::remove(stats);
    at(Kind::beforeAtomicCommit, 2, [&] { writeFile(stats, "just in time"); });
    EXPECT_EQ(orvaneErrorOf([&] { restore(); }),
              ioError("Orvane could not atomically move without replacing " + text(stats) + ": File exists"));
    EXPECT_EQ(readFile(stats), "just in time");
    EXPECT_EQ(readFile(level), "level v2, a little longer");
    expectNothingLeftBehind();
}

TEST_F(WorldRestore, ADestinationFolderThatBecomesALinkIsNeverWrittenThrough)
{
    const auto elsewhere = layout.home / "elsewhere";
    at(Kind::beforeCommit, 1, [&] {
        std::filesystem::rename(region.parent_path(), elsewhere);
        std::filesystem::create_directory_symlink(elsewhere, region.parent_path());
    });
    EXPECT_EQ(orvaneErrorOf([&] { restore(); }), corruptError("restore destination became a symbolic link"));
    EXPECT_EQ(readFile(level), "level v2, a little longer");
    EXPECT_EQ(readFile(elsewhere / "r.0.0.mca"), QByteArray(150000, 'b'));
    EXPECT_TRUE(std::filesystem::is_symlink(region.parent_path()));
    expectNothingLeftBehind();
}

TEST_F(WorldRestore, ADestinationChangedRightBeforeItsSwapIsSwappedBack)
{
    at(Kind::beforeAtomicCommit, 1, [&] { writeFile(region, "changed in the last moment"); });
    EXPECT_EQ(orvaneErrorOf([&] { restore(); }),
              ioError("A world file changed during atomic replacement. Unexpected bytes were preserved and earlier "
                      "replacements were rolled back."));
    before["saves/World/region/r.0.0.mca"] = "changed in the last moment";
    EXPECT_EQ(treeOf(layout.instance), before);
    expectNothingLeftBehind();
}

TEST_F(WorldRestore, WhenTheSwapBackFailsTheUnexpectedBytesAreKeptAndNamed)
{
    at(Kind::beforeAtomicCommit, 1, [&] {
        writeFile(region, "changed in the last moment");
        files->failOn(Op::swap, 2); // the swap itself, then the swap back fails
    });
    const auto [kind, description] = orvaneErrorOf([&] { restore(); });
    EXPECT_EQ(kind, OrvaneError::Kind::io);
    const QString lead = "A world file changed during atomic replacement and its unexpected bytes were preserved at ";
    ASSERT_TRUE(description.startsWith(lead)) << description.toStdString();
    EXPECT_TRUE(description.endsWith(". Do not launch the affected instance."));
    const auto kept = pathFromText(description.mid(lead.size()).section(". ", 0, 0));
    EXPECT_EQ(kept.parent_path(), layout.tmp);
    EXPECT_EQ(readFile(kept), "changed in the last moment");
    // That file keeps the backed-up bytes; the first one was rolled back, and nothing was lost.
    EXPECT_EQ(readFile(region), QByteArray(200000, 'a'));
    EXPECT_EQ(readFile(level), "level v2, a little longer");
}

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

TEST_F(WorldRestore, ACommittedFileThatDoesNotVerifyIsLeftAsFoundAndTheUndoFolderKept)
{
    // Someone writes to the first destination right after its swap.
    bool written = false;
    files->beforeEach = [&](Op op, const std::filesystem::path&) {
        if (op == Op::removeFile && files->calls(Op::swap) == 1 && !written) {
            written = true;
            writeFile(level, "written after the swap");
        }
    };
    const auto error = orvaneErrorOf([&] { restore(); });
    const auto undo = keptUndoFolder();
    EXPECT_EQ(error, ioError("Restore failed: Restore produced a hash mismatch at " + text(level)
                             + ". Rollback also failed: " + text(level)
                             + ": The destination changed after Orvane restored it. Unexpected bytes were preserved.. "
                               "The files as they were before the restore are kept at " + text(undo)
                             + ". Keep the verified Orvane backup and do not launch the affected instance."));
    EXPECT_EQ(readFile(level), "written after the swap");
    EXPECT_EQ(readFile(undo / "saves/World/level.dat"), "level v2, a little longer");
    EXPECT_EQ(readFile(region), QByteArray(150000, 'b'));
    EXPECT_TRUE(restoreLeftovers(layout.instance).empty());
}

TEST_F(WorldRestore, ARolledBackFileChangedMeanwhileIsNotOverwritten)
{
    store.setRestoreCheckpoint([&](const RestoreCheckpoint& point) {
        if (point.kind == Kind::beforeAtomicCommit && point.index == 2)
            throw HookError("stop.");
        if (point.kind == Kind::beforeRollback && point.index == 1)
            writeFile(region, "the game wrote after the restore");
    });
    const auto error = orvaneErrorOf([&] { restore(); });
    EXPECT_TRUE(error.second.startsWith("Restore failed: stop. Rollback also failed: " + text(region)
                                        + ": The destination changed after Orvane restored it. Unexpected bytes were "
                                          "preserved.. The files as they were before the restore are kept at "));
    EXPECT_EQ(readFile(region), "the game wrote after the restore");
    EXPECT_EQ(readFile(level), "level v2, a little longer"); // the other file still rolled back
    EXPECT_EQ(readFile(keptUndoFolder() / "saves/World/region/r.0.0.mca"), QByteArray(150000, 'b'));
}

TEST_F(WorldRestore, AFailedRollbackSwapLeavesTheRestoredBytesAndNoRollbackCopy)
{
    store.setRestoreCheckpoint([&](const RestoreCheckpoint& point) {
        if (point.kind == Kind::beforeAtomicCommit && point.index == 2) {
            files->failOn(Op::swap, 1, EIO); // the rollback of the second file
            throw HookError("stop.");
        }
    });
    const auto error = orvaneErrorOf([&] { restore(); });
    const auto undo = keptUndoFolder();
    EXPECT_EQ(error, ioError("Restore failed: stop. Rollback also failed: " + text(region)
                             + ": Orvane could not atomically swap " + text(region)
                             + ": Input/output error. The files as they were before the restore are kept at " + text(undo)
                             + ". Keep the verified Orvane backup and do not launch the affected instance."));
    EXPECT_EQ(readFile(region), QByteArray(200000, 'a'));
    EXPECT_EQ(readFile(level), "level v2, a little longer");
    EXPECT_EQ(readFile(undo / "saves/World/region/r.0.0.mca"), QByteArray(150000, 'b'));
    EXPECT_TRUE(restoreLeftovers(layout.instance).empty());
    // The undo folder holds only the prior bytes; no stage is left beside it.
    EXPECT_EQ(entriesOf(layout.tmp).size(), 1u);
}

TEST_F(WorldRestore, PreservingUnexpectedBytesOfACreatedFile)
{
    PreparedRestoreFile file;
    file.manifestFile = backup.files[2];
    file.destination = stats;
    file.existed = false;

    writeFile(stats, "{\"played\": 1}");
    store.preserveUnexpectedBytes(file);
    EXPECT_FALSE(std::filesystem::exists(stats));

    writeFile(stats, "the game's own");
    EXPECT_EQ(orvaneErrorOf([&] { store.preserveUnexpectedBytes(file); }),
              ioError("The destination changed during rollback. Unexpected bytes were preserved."));
    EXPECT_EQ(readFile(stats), "the game's own");

    files->failOn(Op::moveNoReplace, 2);
    const auto error = orvaneErrorOf([&] { store.preserveUnexpectedBytes(file); });
    EXPECT_TRUE(error.second.startsWith("Rollback found unexpected bytes and preserved them at "
                                        + text(stats.parent_path() / ".orvane-restore-preserved-")));
    const auto kept = restoreLeftovers(layout.saves);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(readFile(kept[0]), "the game's own");
}

// An overlay snapshot taken before Apply Balanced: options.txt and the launcher's settings existed,
// bin/runData did not (Apply created it) and is deleted by the restore.
struct OverlayRestore : ::testing::Test {
    RestoreLayout layout;
    std::shared_ptr<FaultyFileOperations> files = std::make_shared<FaultyFileOperations>();
    BackupStore store{layout.backups, files, layout.tmp};
    std::filesystem::path options = layout.instance / "options.txt";
    std::filesystem::path runData = layout.instance / "bin/runData";
    std::filesystem::path settings = layout.technicRoot / "settings.json";
    BackupManifest backup;

    OverlayRestore()
    {
        writeFile(options, "renderDistance:8\n");
        writeFile(settings, R"({"memory": 12})");
        backup = store.createBackup({options, runData, settings}, layout.instance, BackupKind::preOverlay,
                                    "Before Balanced.", {text(runData)});
        // Apply Balanced wrote its files.
        writeFile(options, "renderDistance:12\n");
        writeFile(settings, R"({"memory": 16})");
        writeFile(runData, R"({"java": "8"})");
    }
};

TEST_F(OverlayRestore, RestoresTheFilesAndDeletesWhatApplyCreated)
{
    const auto result = store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::preOverlay);
    EXPECT_EQ(readFile(options), "renderDistance:8\n");
    EXPECT_EQ(readFile(settings), R"({"memory": 12})");
    EXPECT_FALSE(std::filesystem::exists(runData));
    EXPECT_TRUE(std::filesystem::is_directory(runData.parent_path()));
    EXPECT_EQ(result.restoredFiles, (std::vector<QString>{text(options), text(settings)}));
    EXPECT_EQ(result.deletedCreatedFiles, std::vector<QString>{text(runData)});
    EXPECT_EQ(result.verification.backupKind, BackupKind::preOverlay);
    EXPECT_TRUE(entriesOf(layout.tmp).empty());

    // Restoring the very snapshot again, read back by its id: runData is gone, so it is passed over.
    writeFile(options, "changed");
    EXPECT_EQ(store.restoreBackup(backup, layout.instance, std::nullopt).deletedCreatedFiles.size(), 0u);
    EXPECT_EQ(readFile(options), "renderDistance:8\n");
}

TEST_F(OverlayRestore, ACreatedPathThatIsNotARegularFileStopsTheRestoreAndIsKept)
{
    std::filesystem::remove(runData);
    std::filesystem::create_directories(runData / "inside");
    writeFile(runData / "inside/keep", "keep");
    // Deleted meanwhile: the restore creates it, and its rollback removes it again.
    std::filesystem::remove(options);
    const auto before = treeOf(layout.technicRoot);
    EXPECT_EQ(orvaneErrorOf([&] { store.restoreLatestBackup(layout.instance, std::nullopt, std::nullopt); }),
              ioError("Orvane will not delete " + text(runData)
                      + " because it is not a regular file. Orvane stopped and rolled back completed replacements."));
    // The overlay files are rolled back and options.txt is absent again.
    EXPECT_EQ(treeOf(layout.technicRoot), before);
    EXPECT_TRUE(entriesOf(layout.tmp).empty());
    EXPECT_TRUE(restoreLeftovers(layout.technicRoot).empty());
}

TEST_F(OverlayRestore, SettingsOutsideTheInstanceNeedTheTechnicRoot)
{
    // An instance outside a "modpacks" folder has no Technic root: the plan refuses the settings file.
    const auto elsewhere = layout.home / "tekkit-2";
    std::filesystem::create_directories(elsewhere);
    store.createBackup({elsewhere / "absent", settings}, elsewhere, BackupKind::manual, "n", {});
    writeFile(settings, "{}");
    EXPECT_EQ(orvaneErrorOf([&] { store.restoreLatestBackup(elsewhere, std::nullopt, std::nullopt); }),
              corruptError("Technic settings path does not match the selected instance"));
    EXPECT_EQ(store.restoreLatestBackup(elsewhere, layout.technicRoot, std::nullopt).restoredFiles,
              std::vector<QString>{text(settings)});
    EXPECT_EQ(readFile(settings), R"({"memory": 16})");
}

TEST_F(OverlayRestore, ASnapshotOfNothingRestoresZeroFiles)
{
    const auto empty = store.createBackup({layout.instance / "absent"}, layout.instance, BackupKind::manual, "n", {});
    const auto result = store.restoreBackup(empty, layout.instance, std::nullopt);
    EXPECT_TRUE(result.restoredFiles.empty());
    EXPECT_EQ(result.verification, (RestoreVerification{BackupKind::manual, 0, 0, "SHA-256"}));
}

TEST_F(OverlayRestore, WithoutAPrivateFolderHiddenFoldersAtTheTopOfEachRootServe)
{
    store.setTemporaryFolder({});
    const auto result = store.restoreBackup(backup, layout.instance, std::nullopt);
    EXPECT_EQ(result.restoredFiles, (std::vector<QString>{text(options), text(settings)}));
    EXPECT_EQ(readFile(options), "renderDistance:8\n");
    EXPECT_EQ(readFile(settings), R"({"memory": 12})");
    EXPECT_FALSE(std::filesystem::exists(runData));
    // Nothing of the restore is left: no hidden folder, no private folder made.
    EXPECT_FALSE(std::filesystem::exists(layout.instance / ".orvane-restore"));
    EXPECT_FALSE(std::filesystem::exists(layout.technicRoot / ".orvane-restore"));
    EXPECT_FALSE(std::filesystem::exists(layout.tmp));
    EXPECT_TRUE(restoreLeftovers(layout.technicRoot).empty());
}

TEST_F(OverlayRestore, TheRecordedInstanceRestoreUsesTheManifestsOwnInstance)
{
    EXPECT_EQ(store.restoreRecordedBackup(std::nullopt, BackupKind::manual).restoredFiles,
              (std::vector<QString>{text(options), text(settings)}));
    EXPECT_EQ(readFile(settings), R"({"memory": 12})");

    BackupStore empty(layout.home / "none", files, layout.tmp);
    EXPECT_EQ(orvaneErrorOf([&] { empty.restoreRecordedBackup(std::nullopt, std::nullopt); }).first,
              OrvaneError::Kind::backupMissing);
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
