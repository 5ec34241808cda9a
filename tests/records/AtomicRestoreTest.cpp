#include "model/FileDigest.h"
#include "platform/PathText.h"
#include "records/BackupStore.h"
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

TEST_F(WorldRestore, TheStagesAndUndoFilesAreOnDiskBeforeTheFirstSwapAfterOneFlush)
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
