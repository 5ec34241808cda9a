#include "records/BackupStore.h"
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

struct Interrupted : ::testing::Test {
    RestoreLayout layout;
    std::filesystem::path level = layout.saves / "World/level.dat";
    std::filesystem::path region = layout.saves / "World/region/r.0.0.mca";

    Interrupted()
    {
        writeFile(level, "level v1");
        writeFile(region, QByteArray(100000, 'a'));
        writeFile(layout.saves / "World/data/villages.dat", "v");
    }
    BackupStore store(std::shared_ptr<FileOperations> files = FileOperations::system()) const
    {
        return BackupStore(layout.worldStore, std::move(files), layout.tmp);
    }
};

} // namespace

TEST_F(Interrupted, ABackupKilledMidwayIsNeverListedAndTheNextOneRemovesIt)
{
    // Killed as it starts to copy: its folder exists, without all its files.
    ASSERT_TRUE(killedWhen([](Op op, const std::filesystem::path&) { return op == Op::cloneOrCopy; },
                           [&](const auto& files) { store(files).createWorldBackup(layout.instance, "w"); }));
    const auto left = entriesOf(layout.worldStore);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].filename().native().rfind(".orvane-partial-", 0), 0u);
    EXPECT_TRUE(store().listBackups().empty());
    EXPECT_FALSE(store().latestBackup(layout.instance, BackupKind::saves));

    const auto made = store().createWorldBackup(layout.instance, "w");
    EXPECT_EQ(entriesOf(layout.worldStore), std::vector<std::filesystem::path>{layout.worldStore / made.id.toStdString()});
}

TEST_F(Interrupted, ARestoreKilledMidwayLeavesWorkThatTheNextBackupOrRestoreRemoves)
{
    store().createWorldBackup(layout.instance, "w");
    // Restore items anywhere below `folder`, not looking into the undo folders; and journals in the store.
    const auto workLeft = [&] {
        std::vector<std::filesystem::path> found;
        for (const auto& folder : {layout.tmp, layout.instance}) {
            std::error_code ec;
            for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
                 !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
                if (it->path().filename().native().find("orvane-restore") != std::string::npos) {
                    found.push_back(it->path());
                    it.disable_recursion_pending();
                }
            }
        }
        for (const auto& entry : entriesOf(layout.worldStore)) {
            if (entry.filename().native().rfind(".orvane-restore-areas-", 0) == 0)
                found.push_back(entry);
        }
        return found;
    };
    struct Case {
        const char* name;
        std::vector<std::filesystem::path> volumes;
        std::size_t leftByKill; // stages, undo folders, the places tried first, the journal
    };
    const std::vector<Case> cases{
        {"one volume: the private folder serves", {}, 4},
        {"the saves are a volume of their own: their folders serve", {layout.tmp, layout.saves}, 3 + 3 + 2 + 1},
    };
    for (const auto& c : cases) {
        for (const bool nextIsRestore : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (nextIsRestore ? ", then a restore" : ", then a backup"));
            const auto volumes = std::make_shared<SeparateVolumes>(c.volumes);
            // Killed after its flush, right at the first swap: stages and undo files are all there.
            writeFile(level, "level v2");
            writeFile(region, QByteArray(90000, 'b'));
            ASSERT_TRUE(killedWhen([](Op op, const std::filesystem::path&) { return op == Op::swap; }, [&](const auto& files) {
                store(files).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
            }, volumes));
            EXPECT_EQ(workLeft().size(), c.leftByKill) << ::testing::PrintToString(workLeft());
            EXPECT_EQ(readFile(level), "level v2"); // nothing was replaced yet

            if (nextIsRestore)
                store(volumes).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
            else
                store(volumes).createWorldBackup(layout.instance, "w");
            EXPECT_EQ(workLeft(), std::vector<std::filesystem::path>{});
        }
    }
}

TEST_F(Interrupted, AJournalOnlyLeadsTheCleanUpIntoTheInstanceWithoutLinks)
{
    // Work items in a folder outside the instance, and in one reached through a link: neither is
    // touched, and their journal stays for a clean-up that may reach them.
    const auto outside = layout.home / "elsewhere";
    const auto linked = layout.instance / "linked";
    writeFile(outside / ".orvane-restore-stage-A", "not ours to remove");
    std::filesystem::create_symlink(outside, linked);
    const auto journal = layout.worldStore / ".orvane-restore-areas-A";
    QByteArray names;
    for (const auto& folder : {outside, linked})
        names.append(QByteArray::fromStdString(folder.native()) + '\0');
    writeFile(journal, names);

    store().createWorldBackup(layout.instance, "w");
    EXPECT_EQ(readFile(outside / ".orvane-restore-stage-A"), "not ours to remove");
    EXPECT_TRUE(std::filesystem::exists(journal));
}

TEST_F(Interrupted, AnUndoFolderKeptAfterAFailedRollbackAndPreservedBytesSurviveLaterWork)
{
    store().createWorldBackup(layout.instance, "w");
    writeFile(level, "level v2");
    writeFile(region, QByteArray(90000, 'b'));
    auto failing = store();
    failing.setRestoreCheckpoint([](const RestoreCheckpoint& point) {
        if (point.kind == RestoreCheckpoint::Kind::beforeAtomicCommit && point.index == 2)
            throw OrvaneError::io(QStringLiteral("stop."));
        if (point.kind == RestoreCheckpoint::Kind::beforeRollback)
            throw OrvaneError::io(QStringLiteral("no rollback."));
    });
    const QString error = orvaneErrorOf([&] {
        failing.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
    }).second;
    const auto kept = entriesOf(layout.tmp);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].filename().native().rfind("orvane-restore-kept-", 0), 0u);
    EXPECT_TRUE(error.contains(text(kept[0]))) << error.toStdString();
    writeFile(layout.tmp / ".orvane-restore-preserved-A", "someone's bytes");

    store().createWorldBackup(layout.instance, "w");
    store().restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
    EXPECT_EQ(readFile(kept[0] / "saves/World/level.dat"), "level v2");
    EXPECT_EQ(readFile(kept[0] / "saves/World/region/r.0.0.mca"), QByteArray(90000, 'b'));
    EXPECT_EQ(readFile(layout.tmp / ".orvane-restore-preserved-A"), "someone's bytes");
}
