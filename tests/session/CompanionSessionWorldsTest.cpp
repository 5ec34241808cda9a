#include "session/CompanionSession.h"

#include "model/ByteCountFormat.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "session/OverlayFiles.h"
#include "session/SessionHarness.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

std::filesystem::path backupsOf(const FixtureHome& home)
{
    return home.paths().backups;
}

std::filesystem::path levelDatOf(const FixtureHome& home)
{
    return home.instanceRoot() / "saves" / "New World" / "level.dat";
}

const QString archiveCopyText = QStringLiteral(
    "Orvane refused to apply the overlay: This is an archive copy under Minecraft Backups. Choose that folder "
    "explicitly if you intend to change it, or install Tekkit 2 in official Technic.");

} // namespace

TEST(CompanionSessionWorlds, TheWriteGuardRefusesBeforeAnythingIsWritten)
{
    using Operation = std::function<void(CompanionSession&)>;
    const std::vector<std::pair<const char*, Operation>> operations{
        {"applyBalanced", [](CompanionSession& s) { s.applyBalanced(); }},
        {"createManualSnapshot", [](CompanionSession& s) { s.createManualSnapshot(); }},
        {"restoreOverlay", [](CompanionSession& s) { s.restoreOverlay(); }},
        {"backUpWorlds", [](CompanionSession& s) { s.backUpWorlds(); }},
        {"restoreWorlds", [](CompanionSession& s) { s.restoreWorlds(); }},
    };
    enum class Setup { technicRunning, gameRunning, discoveredArchiveCopy, linkedOptions, linkedBin, linkedSettings };
    struct Case {
        const char* name;
        Setup setup;
        bool overlayOnly; // a linked overlay file does not stop world backups
    };
    const Case cases[] = {
        {"Technic running", Setup::technicRunning, false},
        {"the game running", Setup::gameRunning, false},
        {"an archive copy found by discovery", Setup::discoveredArchiveCopy, false},
        {"options.txt is a link", Setup::linkedOptions, true},
        {"bin is a link", Setup::linkedBin, true},
        {"settings.json is a link", Setup::linkedSettings, true},
    };
    for (const auto& c : cases) {
        for (const auto& [operationName, operation] : operations) {
            if (c.overlayOnly && QByteArray(operationName).contains("Worlds"))
                continue;
            SCOPED_TRACE(std::string(c.name) + " / " + operationName);
            FixtureHome::Options options;
            if (c.setup == Setup::discoveredArchiveCopy)
                options.instance = false;
            FixtureHome home(options);
            SessionHarness harness;
            if (c.setup != Setup::discoveredArchiveCopy)
                harness.labInstance = home.instanceRoot();
            std::filesystem::path linked;
            QString expected;
            switch (c.setup) {
            case Setup::technicRunning:
                harness.processes = std::make_shared<FakeProcessInspector>(
                    std::vector<FakeProcessInspector::Answers>{FakeProcessInspector::technicApp()});
                expected = OrvaneError::technicRunning().description();
                break;
            case Setup::gameRunning: {
                FakeProcessInspector::Answers answers;
                answers.gameJava = true;
                harness.processes =
                    std::make_shared<FakeProcessInspector>(std::vector<FakeProcessInspector::Answers>{answers});
                expected = OrvaneError::minecraftRunning().description();
                break;
            }
            case Setup::discoveredArchiveCopy:
                home.addArchiveCopy(QStringLiteral("2026-12-01"));
                expected = archiveCopyText;
                break;
            case Setup::linkedOptions:
                linked = home.instanceRoot() / "options.txt";
                std::filesystem::rename(linked, home.root() / "elsewhere.txt");
                std::filesystem::create_symlink(home.root() / "elsewhere.txt", linked);
                break;
            case Setup::linkedBin:
                linked = home.instanceRoot() / "bin" / "runData";
                std::filesystem::rename(home.instanceRoot() / "bin", home.root() / "bin");
                std::filesystem::create_directory_symlink(home.root() / "bin", home.instanceRoot() / "bin");
                break;
            case Setup::linkedSettings:
                linked = home.settingsPath();
                std::filesystem::rename(linked, home.root() / "settings.json");
                std::filesystem::create_symlink(home.root() / "settings.json", linked);
                break;
            }
            if (!linked.empty())
                expected = QStringLiteral("Orvane refused to apply the overlay: %1 is reached through a symbolic "
                                          "link. Orvane will not write through links.")
                               .arg(pathText(linked));
            const auto session = harness.build(home);
            if (c.setup == Setup::discoveredArchiveCopy) // as the application does at start
                session->discoverAndInspect();
            const auto before = treeState(home.root());
            try {
                operation(*session);
                ADD_FAILURE() << "no refusal";
            } catch (const OrvaneError& error) {
                EXPECT_EQ(error.description(), expected);
            }
            EXPECT_EQ(treeState(home.root()), before);
            EXPECT_FALSE(std::filesystem::exists(backupsOf(home)));
        }
    }
}

TEST(CompanionSessionWorlds, AWorldBackupRestoresTheSavedBytes)
{
    FixtureHome home;
    SessionHarness harness;
    harness.labInstance = home.instanceRoot();
    const auto session = harness.build(home);
    const QByteArray level = readFile(levelDatOf(home));
    const auto options = fileState(home.instanceRoot() / "options.txt");

    const BackupManifest backup = session->backUpWorlds().manifest;
    EXPECT_EQ(backup.kind, BackupKind::saves);
    EXPECT_EQ(backup.notes, QStringLiteral("Worlds only. Overlay restore will not revert these files. Sources were "
                                           "bounded and checked for symbolic links."));
    EXPECT_FALSE(session->lastBackup()); // a world backup is not the overlay snapshot
    writeFile(levelDatOf(home), QByteArrayLiteral("overwritten by a bad day"));
    writeFile(home.instanceRoot() / "saves" / "New World" / "new.dat", QByteArrayLiteral("made later"));

    const RestoreResult result = session->restoreWorlds();
    EXPECT_EQ(readFile(levelDatOf(home)), level);
    EXPECT_EQ(readFile(home.instanceRoot() / "saves" / "New World" / "new.dat"), QByteArrayLiteral("made later"));
    EXPECT_EQ(fileState(home.instanceRoot() / "options.txt"), options);
    EXPECT_EQ(result.backupId, backup.id);
    EXPECT_EQ(result.message,
              QStringLiteral("World recovery verified from backup %1: %2 files from the backup (%3) matched SHA-256. "
                             "Saves files added after the backup were left unchanged. Overlay files were not changed.")
                  .arg(backup.id, QString::number(backup.files.size()), fileByteCountText(backup.totalByteCount())));
}

TEST(CompanionSessionWorlds, NoSavesFolderIsRefusedBeforeABackupFolderExists)
{
    FixtureHome::Options options;
    options.instanceContent.world.reset();
    FixtureHome home(options);
    SessionHarness harness;
    harness.labInstance = home.instanceRoot();
    const auto session = harness.build(home);
    try {
        session->backUpWorlds();
        ADD_FAILURE() << "no refusal";
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("No saves folder in this instance. Orvane will not invent a world."));
    }
    EXPECT_FALSE(std::filesystem::exists(backupsOf(home)));
    EXPECT_THROW(session->restoreWorlds(), OrvaneError); // nothing to restore: backupMissing
}

TEST(CompanionSessionWorlds, AWorldRestoreKilledMidwayIsFinishedFirstAndTheStatusSaysSo)
{
    const QString finished = QStringLiteral("Orvane first finished a world restore that was interrupted.");
    for (const bool nextIsRestore : {false, true}) {
        SCOPED_TRACE(nextIsRestore ? "then a restore" : "then a backup");
        FixtureHome home;
        SessionHarness harness;
        harness.labInstance = home.instanceRoot();
        const auto session = harness.build(home);
        const auto extra = home.instanceRoot() / "saves" / "New World" / "data" / "extra.dat";
        writeFile(extra, "extra v1");
        const QByteArray level = readFile(levelDatOf(home));
        session->backUpWorlds();
        writeFile(extra, "extra v2");
        writeFile(levelDatOf(home), "level v2");

        // A restore that dies right before its second swap: extra.dat restored, level.dat not yet.
        const pid_t pid = ::fork();
        if (pid == 0) {
            try {
                auto files = std::make_shared<FaultyFileOperations>();
                int swaps = 0;
                files->beforeEach = [&](FaultyFileOperations::Op op, const std::filesystem::path&) {
                    if (op == FaultyFileOperations::Op::swap && ++swaps == 2)
                        ::_exit(86);
                };
                BackupStore(backupsOf(home) / "saves", files, backupsOf(home).parent_path() / "tmp")
                    .restoreLatestBackup(home.instanceRoot(), std::nullopt, BackupKind::saves);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 86);
        ASSERT_EQ(readFile(extra), "extra v1");
        ASSERT_EQ(readFile(levelDatOf(home)), "level v2");

        if (nextIsRestore) {
            const RestoreResult result = session->restoreWorlds();
            ASSERT_TRUE(result.message);
            EXPECT_TRUE(result.message->startsWith(finished + QStringLiteral(" World recovery verified from backup ")))
                << result.message->toStdString();
        } else {
            const WorldBackupResult result = session->backUpWorlds();
            EXPECT_EQ(result.interruptedRestoreNotice, finished);
        }
        EXPECT_EQ(readFile(extra), "extra v1");
        EXPECT_EQ(readFile(levelDatOf(home)), level);
    }
}
