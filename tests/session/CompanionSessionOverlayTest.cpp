#include "session/CompanionSession.h"

#include "model/CoreResources.h"
#include "model/OrvaneError.h"
#include "model/TechnicMemory.h"
#include "platform/PathText.h"
#include "session/OverlayFiles.h"
#include "records/KilledChild.h"
#include "session/SessionHarness.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <system_error>

using namespace orvane;
using namespace orvane::test;

namespace {

std::filesystem::path optionsOf(const FixtureHome& home) { return home.instanceRoot() / "options.txt"; }
std::filesystem::path runDataOf(const FixtureHome& home) { return home.instanceRoot() / "bin" / "runData"; }
std::filesystem::path backupsOf(const FixtureHome& home)
{
    return home.paths().backups;
}

QJsonObject jsonOf(const std::filesystem::path& path)
{
    return QJsonDocument::fromJson(readFile(path)).object();
}

struct OverlayState {
    FileState options, runData, settings;
    bool operator==(const OverlayState&) const = default;
};

OverlayState overlayState(const FixtureHome& home)
{
    return {fileState(optionsOf(home)), fileState(runDataOf(home)), fileState(home.settingsPath())};
}

// Fails the write of one file the first time it is written, with ENOSPC.
void failFirstWriteOf(FaultyFileOperations& files, const std::string& fileName,
                      std::function<void()> before = {})
{
    auto armed = std::make_shared<bool>(true);
    files.beforeEach = [armed, fileName, before](FaultyFileOperations::Op op, const std::filesystem::path& path) {
        if (op != FaultyFileOperations::Op::writeAtomically || !*armed)
            return;
        if (before && path.filename() == "options.txt")
            before();
        if (path.filename() == fileName) {
            *armed = false;
            throw std::system_error(ENOSPC, std::generic_category(), "write " + path.native());
        }
    };
}

std::vector<std::filesystem::path> snapshotFolders(const FixtureHome& home)
{
    std::vector<std::filesystem::path> folders;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(backupsOf(home), ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (it->path().filename() != "saves")
            folders.push_back(it->path());
    }
    return folders;
}

// A harness for `home`'s instance whose sessions go through `files`.
SessionHarness harnessFor(const FixtureHome& home, std::shared_ptr<FileOperations> files = FileOperations::system())
{
    SessionHarness harness;
    harness.labInstance = home.instanceRoot();
    harness.files = std::move(files);
    return harness;
}

} // namespace

TEST(CompanionSessionOverlay, ApplyWritesTheBalancedOverlayAfterASnapshot)
{
    FixtureHome home;
    SessionHarness harness;
    harness.labInstance = home.instanceRoot();
    const auto session = harness.build(home);
    const OverlayState before = overlayState(home);

    const ApplyResult result = session->applyBalanced();

    const std::optional<BackupManifest> lastBackup = session->lastBackup();
    ASSERT_TRUE(lastBackup);
    const BackupManifest& snapshot = *lastBackup;
    EXPECT_EQ(result.backupId, snapshot.id);
    EXPECT_EQ(snapshot.kind, BackupKind::preOverlay);
    EXPECT_EQ(snapshot.notes, QStringLiteral("Pre-overlay snapshot of files Orvane is allowed to change."));
    EXPECT_TRUE(snapshot.createdPaths.empty());
    ASSERT_EQ(snapshot.files.size(), 3u);
    EXPECT_EQ(readFile(backupsOf(home) / pathFromText(snapshot.id) / "technic-root" / "settings.json"),
              before.settings.bytes);
    EXPECT_EQ(result.changedFiles, (std::vector<QString>{pathText(optionsOf(home)), pathText(runDataOf(home)),
                                                         pathText(home.settingsPath())}));
    EXPECT_EQ(session->lastPlan(), result.plan);

    // 16 GiB on Apple silicon with Rosetta and a tall Retina display.
    EXPECT_EQ(result.plan.memoryMegabytes, 4096);
    EXPECT_EQ(readFile(optionsOf(home)), QByteArrayLiteral("version:1343\n"
                                                           "invertYMouse:false\n"
                                                           "mouseSensitivity:0.5\n"
                                                           "fov:0.0\n"
                                                           "gamma:0.0\n"
                                                           "renderDistance:8\n"
                                                           "guiScale:3\n"
                                                           "maxFps:60\n"
                                                           "fancyGraphics:false\n"
                                                           "ao:1\n"
                                                           "renderClouds:fast\n"
                                                           "lang:en_us\n"
                                                           "lastServer:127.0.0.1:25565\n"
                                                           "key_key.attack:-100\n"
                                                           "key_key.jump:57\n"
                                                           "soundCategory_master:1.0\n"
                                                           "enableVsync:false\n"
                                                           "entityShadows:false\n"
                                                           "fboEnable:true\n"
                                                           "mipmapLevels:2\n"
                                                           "particles:1\n"
                                                           "useVbo:true\n"));
    EXPECT_EQ(readFile(runDataOf(home)), QByteArrayLiteral("{\n    \"java\": \"1.8\",\n    \"memory\": \"4096\"\n}"));
    const QJsonObject settings = jsonOf(home.settingsPath());
    EXPECT_EQ(settings.value(QLatin1String("memory")), QJsonValue(qint64(TechnicMemory::settingsId(4096))));
    EXPECT_EQ(settings.value(QLatin1String("useMojangJava")), QJsonValue(true));

    // The session re-read the instance it changed.
    ASSERT_TRUE(session->lastInspection());
    EXPECT_EQ(session->lastInspection()->runDataMemoryMB, 4096);
}

TEST(CompanionSessionOverlay, AWriteFailingOnTheSecondFileRollsAllThreeBack)
{
    // In the launcher's modpacks folder, and in a folder the user chose elsewhere: the rollback puts
    // the launcher's settings.json back through the inspection's data folder either way.
    for (const bool elsewhere : {false, true}) {
        SCOPED_TRACE(elsewhere ? "chosen folder elsewhere" : "modpacks folder");
        FixtureHome::Options options;
        options.instanceContent.runData = false; // Apply creates it: the rollback must remove it again
        options.instance = !elsewhere;
        FixtureHome home(options);
        const std::filesystem::path instance = elsewhere ? home.root() / "Packs" / "tekkit-2" : home.instanceRoot();
        if (elsewhere)
            FixtureHome::writeInstance(instance, options.instanceContent);
        chmodFile(home.settingsPath(), 0600);
        SessionHarness harness;
        harness.labInstance = instance;
        auto files = std::make_shared<FaultyFileOperations>();
        harness.files = files;
        const auto session = harness.build(home);
        const auto runData = instance / "bin" / "runData";
        const FileState options0 = fileState(instance / "options.txt"), settings0 = fileState(home.settingsPath());
        const auto instanceTree = treeState(instance);
        failFirstWriteOf(*files, "runData");

        try {
            session->applyBalanced();
            ADD_FAILURE() << "Apply succeeded";
        } catch (const std::system_error& error) {
            // The writing error itself, not a wrapped one.
            EXPECT_EQ(error.code().value(), ENOSPC);
            EXPECT_EQ(describe(error), QString::fromStdString("write " + runData.native() + ": " +
                                                              std::generic_category().message(ENOSPC)));
        }
        EXPECT_EQ(fileState(instance / "options.txt"), options0);
        EXPECT_EQ(fileState(home.settingsPath()), settings0);
        EXPECT_FALSE(fileState(runData).exists);
        EXPECT_EQ(treeState(instance), instanceTree); // no stage, no temporary, no new folder
        ASSERT_EQ(snapshotFolders(home).size(), 1u);  // the snapshot stays for a later restore
        ASSERT_TRUE(session->lastBackup());
        EXPECT_EQ(session->lastBackup()->createdPaths, std::vector<QString>{pathText(runData)});
        EXPECT_EQ(session->lastBackup()->files.size(), 2u); // options.txt and the launcher's settings.json
        EXPECT_FALSE(session->lastPlan());
    }
}

TEST(CompanionSessionOverlay, AFailedRollbackReportsBothFailures)
{
    FixtureHome home;
    SessionHarness harness;
    harness.labInstance = home.instanceRoot();
    auto files = std::make_shared<FaultyFileOperations>();
    harness.files = files;
    const auto session = harness.build(home);
    // The snapshot's copy of options.txt is damaged after it was made, then the runData write fails.
    failFirstWriteOf(*files, "runData", [&home] {
        const auto folders = snapshotFolders(home);
        ASSERT_EQ(folders.size(), 1u);
        QByteArray copy = readFile(folders.front() / "options.txt");
        copy[0] = char(copy[0] ^ 0x01); // same size: only its digest tells
        writeFile(folders.front() / "options.txt", copy);
    });

    try {
        session->applyBalanced();
        ADD_FAILURE() << "Apply succeeded";
    } catch (const OrvaneError& error) {
        ASSERT_EQ(error.kind(), OrvaneError::Kind::applyFailedRollbackFailed);
        const QString writing = QString::fromStdString("write " + runDataOf(home).native() + ": "
                                                       + std::generic_category().message(ENOSPC));
        EXPECT_EQ(error.description(),
                  QStringLiteral("Apply Balanced failed (%1) and rolling back the overlay also failed (%2). Quit "
                                 "Technic and Restore, or restore the latest pre-overlay backup by hand.")
                      .arg(writing, QStringLiteral("The backup failed verification: hash mismatch "
                                                   "options.txt")));
    }
    EXPECT_EQ(snapshotFolders(home).size(), 1u);
    EXPECT_FALSE(session->lastPlan());
}

TEST(CompanionSessionOverlay, TheUserJdkLinkGoesEvenWhenThePolicyThenRefuses)
{
    FixtureHome::Options options;
    options.jreLegacyLinkIntoUserJDK = true;
    FixtureHome home(options);
    SessionHarness harness;
    harness.labInstance = home.instanceRoot();
    const auto session = harness.build(home);
    const OverlayState before = overlayState(home);
    const CoreResources::ScopedLookup noRegistry([](const QString& name, const QString& extension) {
        return name == QLatin1String("content-rights") ? std::nullopt : CoreResources::embedded(name, extension);
    });

    try {
        session->applyBalanced();
        ADD_FAILURE() << "Apply succeeded";
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error.description(),
                  QStringLiteral("Content policy refused this profile: Bundled content-rights registry is missing."));
    }
    const auto link = home.dataRoot() / "runtimes" / "jre-legacy" / "jre.bundle";
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    EXPECT_EQ(overlayState(home), before);
    EXPECT_TRUE(snapshotFolders(home).empty());
    EXPECT_FALSE(session->lastBackup());
}

TEST(CompanionSessionOverlay, OverlayRestoreUndoesAnApplyThatCreatedRunData)
{
    struct Case {
        const char* machine;
        QString message;
        bool needsReapply;
    };
    const Case cases[] = {
        {"arm64", QStringLiteral("Original overlay settings restored. Other settings were kept. On Apple Silicon, Apply "
                                 "Balanced again before Play so Use Mojang Java is on."),
         true},
        {"x86_64", QStringLiteral("Original overlay settings restored. Other settings were kept."), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.machine);
        FixtureHome::Options options;
        options.instanceContent.runData = false;
        options.useMojangJava = false;
        FixtureHome home(options);
        SessionHarness harness;
        harness.labInstance = home.instanceRoot();
        harness.facts->machine = QString::fromLatin1(c.machine);
        const auto session = harness.build(home);
        const OverlayState before = overlayState(home);

        session->applyBalanced();
        ASSERT_TRUE(fileState(runDataOf(home)).exists);
        const RestoreResult result = session->restoreOverlay();

        EXPECT_EQ(overlayState(home), before);
        EXPECT_EQ(result.deletedCreatedFiles, std::vector<QString>{pathText(runDataOf(home))});
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(result.needsReapplyForMojangJava, c.needsReapply);
        EXPECT_FALSE(session->lastBackup());
        ASSERT_TRUE(session->lastInspection());
        EXPECT_EQ(session->lastInspection()->useMojangJava, false);
    }
}

TEST(CompanionSessionOverlay, ManualSnapshotAndLatestBackups)
{
    FixtureHome home;
    SessionHarness harness;
    harness.labInstance = home.instanceRoot();
    const auto session = harness.build(home);
    EXPECT_EQ(session->latestBackups(), CompanionSession::LatestBackups{}); // nothing inspected yet

    const BackupManifest manual = session->createManualSnapshot();
    EXPECT_EQ(manual.kind, BackupKind::manual);
    EXPECT_EQ(manual.notes, QStringLiteral("Manual overlay snapshot of files Orvane is allowed to change. Restore "
                                           "prefers the latest Apply snapshot."));
    // Without a pre-overlay snapshot the manual one is the overlay backup shown.
    session->setLabInstance(home.instanceRoot());
    session->inspect();
    const auto shown = session->latestBackups().overlay;
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->id, manual.id);
    EXPECT_EQ(session->lastBackup(), shown);

    const ApplyResult applied = session->applyBalanced();
    const BackupManifest world = session->backUpWorlds().manifest;
    session->createManualSnapshot(); // newer, but a pre-overlay snapshot is preferred
    const CompanionSession::LatestBackups latest = session->latestBackups();
    ASSERT_TRUE(latest.overlay);
    EXPECT_EQ(latest.overlay->id, applied.backupId);
    ASSERT_TRUE(latest.world);
    EXPECT_EQ(latest.world->id, world.id);
    EXPECT_EQ(session->lastBackup(), latest.overlay);
}

TEST(CompanionSessionOverlay, ApplyTestsAStoredInspectionAgainWithoutReinspecting)
{
    FixtureHome::Options options;
    options.instanceContent.packVersion = QStringLiteral("1.2.5");
    FixtureHome home(options);
    SessionHarness harness;
    harness.labInstance = home.instanceRoot();
    const auto session = harness.build(home);
    session->inspect();
    // The files now hold the certified build, but the stored inspection decides.
    FixtureHome::writeInstance(home.instanceRoot(), FixtureHome::Instance{});
    const OverlayState before = overlayState(home);
    try {
        session->applyBalanced();
        ADD_FAILURE() << "Apply succeeded";
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, OrvaneError::unsupportedPackVersion(QStringLiteral("1.2.5"), CertifiedPack::version));
    }
    EXPECT_EQ(overlayState(home), before);
    EXPECT_FALSE(std::filesystem::exists(backupsOf(home)));
}

TEST(CompanionSessionOverlay, TheRestoreGivesBackTheFilesFromBeforeTheFirstApply)
{
    enum class Step { apply, applyKilledAfterReplacingOptions, restoreKilledAfterReplacingOptions, gameChangesOptions };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        bool runData = true;
    };
    const Case cases[] = {
        {"apply once", {Step::apply}},
        {"apply twice", {Step::apply, Step::apply}},
        {"apply twice to an instance without bin/runData", {Step::apply, Step::apply}, false},
        {"an Apply killed after it replaced options.txt, then Apply",
         {Step::applyKilledAfterReplacingOptions, Step::apply}},
        {"a restore killed after it replaced options.txt, then Apply and a game",
         {Step::apply, Step::restoreKilledAfterReplacingOptions, Step::apply, Step::gameChangesOptions}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome::Options options;
        options.instanceContent.runData = c.runData;
        FixtureHome home(options);
        const SessionHarness harness = harnessFor(home);
        auto session = harness.build(home);
        const OverlayState before = overlayState(home);
        // Each killed step runs in a child, and the application starts again after it.
        const auto killedAt = [&](const std::function<bool(FaultyFileOperations::Op, const std::filesystem::path&)>& stop,
                                  const std::function<void(CompanionSession&)>& work) {
            ASSERT_TRUE(killedWhen(stop, [&](const std::shared_ptr<FaultyFileOperations>& files) {
                work(*harnessFor(home, files).build(home));
            }));
            session = harness.build(home);
        };
        for (const Step step : c.steps) {
            switch (step) {
            case Step::apply:
                session->applyBalanced();
                break;
            case Step::applyKilledAfterReplacingOptions:
                killedAt([](FaultyFileOperations::Op op, const std::filesystem::path& path) {
                    return op == FaultyFileOperations::Op::writeAtomically && path.filename() == "runData";
                }, [](CompanionSession& s) { s.applyBalanced(); });
                ASSERT_NE(fileState(optionsOf(home)), before.options);
                ASSERT_EQ(fileState(runDataOf(home)), before.runData);
                break;
            case Step::restoreKilledAfterReplacingOptions: {
                const FileState applied = fileState(runDataOf(home));
                int swaps = 0;
                killedAt([&swaps](FaultyFileOperations::Op op, const std::filesystem::path&) {
                    return op == FaultyFileOperations::Op::swap && ++swaps == 2;
                }, [](CompanionSession& s) { s.restoreOverlay(); });
                ASSERT_EQ(fileState(optionsOf(home)).bytes, before.options.bytes);
                ASSERT_EQ(fileState(runDataOf(home)), applied);
                break;
            }
            case Step::gameChangesOptions:
                writeFile(optionsOf(home), readFile(optionsOf(home)) + "chatVisibility:0\n");
                break;
            }
        }

        const RestoreResult result = session->restoreOverlay();

        // What the game wrote since Apply stays.
        OverlayState expected = before;
        if (std::find(c.steps.begin(), c.steps.end(), Step::gameChangesOptions) != c.steps.end())
            expected.options.bytes += "chatVisibility:0\n";
        EXPECT_EQ(overlayState(home), expected);
        EXPECT_EQ(result.message, QStringLiteral("Original overlay settings restored. Other settings were kept."));
    }
}

TEST(CompanionSessionOverlay, ADiskFullAtApplysFirstWriteReportsTheApplyErrorAlone)
{
    for (const bool appliedBefore : {false, true}) {
        SCOPED_TRACE(appliedBefore ? "Balanced applied before" : "first Apply");
        FixtureHome home;
        auto files = std::make_shared<FaultyFileOperations>();
        const auto session = harnessFor(home, files).build(home);
        if (appliedBefore)
            session->applyBalanced();
        const OverlayState before = overlayState(home);
        // From the write of options.txt on, the disk has no room: no file, copy or folder can be made.
        auto full = std::make_shared<bool>(false);
        files->beforeEach = [full](FaultyFileOperations::Op op, const std::filesystem::path& path) {
            using Op = FaultyFileOperations::Op;
            if (op == Op::writeAtomically && path.filename() == "options.txt")
                *full = true;
            if (*full && (op == Op::writeAtomically || op == Op::cloneOrCopy || op == Op::createDirectories
                          || op == Op::hardLink))
                throw std::system_error(ENOSPC, std::generic_category(), "write " + path.native());
        };

        try {
            session->applyBalanced();
            ADD_FAILURE() << "Apply succeeded";
        } catch (const std::exception& error) {
            EXPECT_EQ(describe(error), QString::fromStdString("write " + optionsOf(home).native() + ": "
                                                              + std::generic_category().message(ENOSPC)));
        }
        EXPECT_EQ(overlayState(home), before);
        EXPECT_EQ(snapshotFolders(home).size(), 1u);
    }
}

TEST(CompanionSessionOverlay, ARestoreWhoseOnlySnapshotIsDamagedSaysWhatFailedVerification)
{
    struct Case {
        const char* name;
        void (*damage)(const std::filesystem::path& snapshot);
        QString message;
        bool namesTheSnapshot = false;
    };
    const Case cases[] = {
        {"its options.txt truncated",
         [](const std::filesystem::path& snapshot) { std::filesystem::resize_file(snapshot / "options.txt", 10); },
         QStringLiteral("The backup failed verification: byte count mismatch options.txt")},
        {"its manifest truncated",
         [](const std::filesystem::path& snapshot) {
             const auto manifest = snapshot / "manifest.json";
             std::filesystem::resize_file(manifest, std::filesystem::file_size(manifest) / 2);
         },
         QStringLiteral("The backup failed verification: unreadable manifest for "), true},
        {"its options.txt changed within its size",
         [](const std::filesystem::path& snapshot) {
             QByteArray copy = readFile(snapshot / "options.txt");
             copy[0] = char(copy[0] ^ 0x01);
             writeFile(snapshot / "options.txt", copy);
         },
         QStringLiteral("The backup failed verification: hash mismatch options.txt")},
        {"it removed", [](const std::filesystem::path& snapshot) { std::filesystem::remove_all(snapshot); },
         QStringLiteral("No Orvane backup exists for this instance.")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome home;
        const auto session = harnessFor(home).build(home);
        const ApplyResult applied = session->applyBalanced();
        c.damage(backupsOf(home) / pathFromText(applied.backupId));
        const OverlayState balanced = overlayState(home);

        try {
            session->restoreOverlay();
            ADD_FAILURE() << "Restore succeeded";
        } catch (const OrvaneError& error) {
            EXPECT_EQ(error.description(), c.message + (c.namesTheSnapshot ? applied.backupId : QString()));
        }
        EXPECT_EQ(overlayState(home), balanced);
    }
}
