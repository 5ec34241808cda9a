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
