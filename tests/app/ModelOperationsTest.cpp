#include "app/support/ModelHarness.h"
#include "model/OrvaneError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using test::FakeSession;
using test::ModelHarness;

using Operation = std::function<QCoro::Task<>(AppModel&)>;

// Every call an operation may make answers as a healthy install does; each case changes what it needs.
void scriptHealthySession(FakeSession& session)
{
    session.script([](FakeSession::Script& s) {
        s.refreshCapability = [] { return test::sampleCapability(15.99); };
        s.discoverAndInspect = [] { return test::certifiedInspection(); };
        s.inspectCertified = [] { return test::certifiedInspection(); };
        s.inspect = [] { return test::certifiedInspection(); };
        s.latestBackups = [] { return SessionPort::LatestBackups{}; };
        s.handoffReadiness = [](const ProcessEnvironment&) {
            return test::sampleReport(HandoffSetupKind::applyBalanced, true, false);
        };
        s.createManualSnapshot = [] { return test::sampleManifest(QStringLiteral("20261208-072108-manual")); };
        s.backUpWorlds = [] { return test::sampleManifest(QStringLiteral("20261208-072108-saves"), BackupKind::saves); };
        s.restoreWorlds = [] {
            RestoreResult result;
            result.message = QStringLiteral("World recovery verified from backup 20261208-072108-saves.");
            return result;
        };
        s.restoreOverlay = [] {
            RestoreResult result;
            result.message = QStringLiteral("Original files restored from 20261208-072108-preOverlay.");
            return result;
        };
        s.applyBalanced = [] { return ApplyResult{QStringLiteral("20261208-072108-preOverlay"), {}, {}}; };
        s.writeDiagnostics = [] {
            SessionPort::WrittenDiagnostics written;
            written.summary.preview = QStringLiteral("Orvane diagnostic (redacted)");
            written.url = "/home/test/diagnostics/orvane-diagnostic-1.json";
            return written;
        };
        s.selectPack = [](const PackID& id) -> PackDescriptor {
            if (id != PackID::tekkit2)
                throw OrvaneError::io(QStringLiteral("Pack ") + id.rawValue()
                                      + QStringLiteral(" is not available in this build."));
            return PackDescriptor::tekkit2;
        };
    });
    session.store([](FakeSession::Stored& s) { s.lastInspection = test::certifiedInspection(); });
}

struct Case {
    const char* name;
    Operation operation;
    std::function<void(FakeSession&)> change; // what this case changes in the healthy session
    QString status;
    std::optional<QString> error;
};

void runCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        scriptHealthySession(*h.session);
        if (c.change)
            c.change(*h.session);
        AppModelState before;
        before.errorMessage = QStringLiteral("An earlier error.");
        h.model->setStateForTesting(before);
        h.busyChanges.clear();

        ASSERT_TRUE(h.run(c.operation));
        EXPECT_EQ(h.model->status(), c.status);
        EXPECT_EQ(h.model->errorMessage(), c.error);
        EXPECT_EQ(h.busyChanges, (std::vector<bool>{true, false}));
        for (const FakeSession::Call& call : h.session->calls())
            EXPECT_NE(call.thread, QCoreApplication::instance()->thread()) << call.name.toStdString();
    }
}

template <typename Result>
std::function<Result()> throwing(OrvaneError error)
{
    return [error]() -> Result { throw error; };
}

TEST(ModelOperations, InspectionChoicesAndMacCheckShowTheirTexts)
{
    const OrvaneError wrongVersion
        = OrvaneError::unsupportedPackVersion(QStringLiteral("1.2.5"), QStringLiteral("1.2.6"));
    runCases({
        {"inspect", [](AppModel& m) { return m.inspect(); }, {},
         QStringLiteral("Certified Tekkit 2 1.2.6 found. Nothing was changed."), std::nullopt},
        {"inspect of another version",
         [](AppModel& m) { return m.inspect(); },
         [&](FakeSession& s) {
             s.script([&](FakeSession::Script& sc) { sc.inspectCertified = throwing<InstallInspection>(wrongVersion); });
         },
         wrongVersion.description(), wrongVersion.description()},
        {"select the catalog's pack", [](AppModel& m) { return m.selectPack(PackID::tekkit2); }, {},
         QStringLiteral("Certified Tekkit 2 1.2.6 found. Nothing was changed."), std::nullopt},
        {"select a pack outside the catalog",
         [](AppModel& m) { return m.selectPack(*PackID::fromRawValue(QStringLiteral("hexxit"))); }, {},
         QStringLiteral("Pack hexxit is not available in this build."),
         QStringLiteral("Pack hexxit is not available in this build.")},
        {"check this Mac", [](AppModel& m) { return m.checkThisMac(); }, {},
         QStringLiteral("Detected Apple M2, arm64, 16 GB."), std::nullopt},
        {"check this Mac rounding down",
         [](AppModel& m) { return m.checkThisMac(); },
         [](FakeSession& s) {
             s.script([](FakeSession::Script& sc) { sc.refreshCapability = [] { return test::sampleCapability(7.4); }; });
         },
         QStringLiteral("Detected Apple M2, arm64, 7 GB."), std::nullopt},
    });
}

TEST(ModelOperations, DiagnosticsAndWorldsShowTheirTexts)
{
    runCases({
        {"write diagnostic", [](AppModel& m) { return m.writeDiagnostic(); }, {},
         QStringLiteral("Diagnostic written. Preview is redacted."), std::nullopt},
        {"diagnostic that cannot be written",
         [](AppModel& m) { return m.writeDiagnostic(); },
         [](FakeSession& s) {
             s.script([](FakeSession::Script& sc) {
                 sc.writeDiagnostics = throwing<SessionPort::WrittenDiagnostics>(OrvaneError::io(QStringLiteral("Disk full.")));
             });
         },
         QStringLiteral("Disk full."), QStringLiteral("Disk full.")},
        {"back up worlds", [](AppModel& m) { return m.backUpWorlds(); }, {},
         QStringLiteral("World backup 20261208-072108-saves verified. Overlay restore will not revert worlds."),
         std::nullopt},
        {"back up worlds after an interrupted restore",
         [](AppModel& m) { return m.backUpWorlds(); },
         [](FakeSession& s) {
             s.script([](FakeSession::Script& sc) {
                 sc.worldBackupNotice = QStringLiteral("Orvane first finished a world restore that was interrupted.");
             });
         },
         QStringLiteral("Orvane first finished a world restore that was interrupted. World backup "
                        "20261208-072108-saves verified. Overlay restore will not revert worlds."),
         std::nullopt},
        {"back up worlds without saves",
         [](AppModel& m) { return m.backUpWorlds(); },
         [](FakeSession& s) {
             s.script([](FakeSession::Script& sc) {
                 sc.backUpWorlds = throwing<BackupManifest>(
                     OrvaneError::io(QStringLiteral("No saves folder in this instance. Orvane will not invent a world.")));
             });
         },
         QStringLiteral("No saves folder in this instance. Orvane will not invent a world."),
         QStringLiteral("No saves folder in this instance. Orvane will not invent a world.")},
        {"back up worlds with discovery failing",
         [](AppModel& m) { return m.backUpWorlds(); },
         [](FakeSession& s) {
             s.store([](FakeSession::Stored& st) { st.lastInspection.reset(); });
             s.script([](FakeSession::Script& sc) { sc.discoverAndInspect = throwing<InstallInspection>(OrvaneError::tekkitMissing()); });
         },
         OrvaneError::tekkitMissing().description(), OrvaneError::tekkitMissing().description()},
        {"restore worlds", [](AppModel& m) { return m.restoreWorlds(); }, {},
         QStringLiteral("World recovery verified from backup 20261208-072108-saves."), std::nullopt},
        {"restore worlds without a message",
         [](AppModel& m) { return m.restoreWorlds(); },
         [](FakeSession& s) { s.script([](FakeSession::Script& sc) { sc.restoreWorlds = [] { return RestoreResult{}; }; }); },
         QStringLiteral("Backed-up world files restored. Files added later and overlay files were not changed."),
         std::nullopt},
        {"restore worlds while Technic runs",
         [](AppModel& m) { return m.restoreWorlds(); },
         [](FakeSession& s) { s.script([](FakeSession::Script& sc) { sc.restoreWorlds = throwing<RestoreResult>(OrvaneError::technicRunning()); }); },
         OrvaneError::technicRunning().description(), OrvaneError::technicRunning().description()},
    });
}

TEST(ModelOperations, SettingsBackupRestoreAndApplyShowTheirTexts)
{
    runCases({
        {"back up settings", [](AppModel& m) { return m.backUpSettings(); }, {},
         QStringLiteral("Backup 20261208-072108-manual verified."), std::nullopt},
        {"back up settings when the backup fails",
         [](AppModel& m) { return m.backUpSettings(); },
         [](FakeSession& s) {
             s.script([](FakeSession::Script& sc) { sc.createManualSnapshot = throwing<BackupManifest>(OrvaneError::backupCorrupt(QStringLiteral("digest mismatch"))); });
         },
         QStringLiteral("The backup failed verification: digest mismatch"),
         QStringLiteral("The backup failed verification: digest mismatch")},
        {"restore settings", [](AppModel& m) { return m.restoreSettings(); }, {},
         QStringLiteral("Original files restored from 20261208-072108-preOverlay."), std::nullopt},
        {"restore settings without a backup",
         [](AppModel& m) { return m.restoreSettings(); },
         [](FakeSession& s) { s.script([](FakeSession::Script& sc) { sc.restoreOverlay = throwing<RestoreResult>(OrvaneError::backupMissing()); }); },
         QStringLiteral("No Orvane backup exists for this instance."),
         QStringLiteral("No Orvane backup exists for this instance.")},
        {"apply Balanced", [](AppModel& m) { return m.applyBalanced(); }, {},
         QStringLiteral("Balanced applied. Open Technic and press Play. Restore anytime."), std::nullopt},
        {"apply Balanced while Minecraft runs",
         [](AppModel& m) { return m.applyBalanced(); },
         [](FakeSession& s) { s.script([](FakeSession::Script& sc) { sc.applyBalanced = throwing<ApplyResult>(OrvaneError::minecraftRunning()); }); },
         OrvaneError::minecraftRunning().description(), OrvaneError::minecraftRunning().description()},
    });
}

TEST(ModelOperations, BackingUpWithNoInspectionDiscoversFirstAndTakesNoSnapshotWhenThatFails)
{
    for (const bool discoveryFails : {false, true}) {
        SCOPED_TRACE(discoveryFails ? "discovery fails" : "discovery succeeds");
        ModelHarness h;
        scriptHealthySession(*h.session);
        h.session->store([](FakeSession::Stored& s) { s.lastInspection.reset(); });
        if (discoveryFails)
            h.session->script([](FakeSession::Script& s) {
                s.discoverAndInspect = throwing<InstallInspection>(OrvaneError::tekkitMissing());
            });
        ASSERT_TRUE(h.run([](AppModel& m) { return m.backUpSettings(); }));
        EXPECT_EQ(h.session->callNames(), discoveryFails
                                              ? QStringList{"discoverAndInspect"}
                                              : (QStringList{"discoverAndInspect", "createManualSnapshot", "handoffReadiness"}));
        EXPECT_EQ(h.model->backup().has_value(), !discoveryFails);
    }
}

TEST(ModelOperations, FailuresKeepEarlierResults)
{
    ModelHarness h;
    scriptHealthySession(*h.session);
    h.session->script([](FakeSession::Script& s) {
        s.restoreOverlay = throwing<RestoreResult>(OrvaneError::technicRunning());
        s.backUpWorlds = throwing<BackupManifest>(OrvaneError::minecraftRunning());
        s.inspectCertified = throwing<InstallInspection>(
            OrvaneError::unsupportedForge(QStringLiteral("14.23.5.2859"), QStringLiteral("14.23.5.2860")));
    });
    AppModelState before;
    before.applyResult = ApplyResult{QStringLiteral("20261208-072108-preOverlay"), {}, {}};
    before.savesBackup = test::sampleManifest(QStringLiteral("saves-0"), BackupKind::saves);
    before.backup = test::sampleManifest(QStringLiteral("overlay-0"));
    h.model->setStateForTesting(before);

    ASSERT_TRUE(h.run([](AppModel& m) { return m.restoreSettings(); }));
    ASSERT_TRUE(h.run([](AppModel& m) { return m.backUpWorlds(); }));
    ASSERT_TRUE(h.run([](AppModel& m) { return m.inspect(); }));
    EXPECT_EQ(h.model->applyResult(), before.applyResult);
    EXPECT_EQ(h.model->savesBackup(), before.savesBackup);
    EXPECT_EQ(h.model->backup(), before.backup);
    // The read-only fallback still shows what was found.
    EXPECT_EQ(h.model->inspection(), test::certifiedInspection());
    EXPECT_EQ(h.session->callNames().mid(h.session->callNames().indexOf("inspectCertified")),
              (QStringList{"inspectCertified", "inspect", "handoffReadiness"}));
}

TEST(ModelOperations, ChoosingAFolderRemembersItClearsLaunchResultsAndInspects)
{
    ModelHarness h;
    scriptHealthySession(*h.session);
    AppModelState before;
    before.applyResult = ApplyResult{QStringLiteral("old"), {}, {}};
    before.liveLaunchEventStatus = QStringLiteral("Technic is ready for Play.");
    before.launchWasCancelled = true;
    h.model->setStateForTesting(before);

    ASSERT_TRUE(h.run([](AppModel& m) { return m.chooseInstanceFolder("/Users/test/Tekkit Copy"); }));
    EXPECT_EQ(h.model->seams().settings->text(AppModel::labDefaultsKey()), QStringLiteral("/Users/test/Tekkit Copy"));
    EXPECT_EQ(h.model->labInstancePath(), QStringLiteral("/Users/test/Tekkit Copy"));
    EXPECT_EQ(h.model->applyResult(), std::nullopt);
    EXPECT_EQ(h.model->liveLaunchEventStatus(), std::nullopt);
    EXPECT_FALSE(h.model->launchWasCancelled());
    EXPECT_EQ(h.session->callNames(), (QStringList{"setLabInstance", "refreshCapability", "inspectCertified",
                                                   "latestBackups", "handoffReadiness"}));
    EXPECT_EQ(h.model->status(), QStringLiteral("Certified Tekkit 2 1.2.6 found. Nothing was changed."));
}

TEST(ModelOperations, SelectingAPackForgetsThePreviousPacksResultsUnlessTheSessionRefuses)
{
    AppModelState before;
    before.backup = test::sampleManifest(QStringLiteral("overlay-0"));
    before.diagnosticPreview = QStringLiteral("Preview");
    before.diagnosticURL = std::filesystem::path("/tmp/report.json");

    ModelHarness refused;
    scriptHealthySession(*refused.session);
    refused.model->setStateForTesting(before);
    ASSERT_TRUE(refused.run([](AppModel& m) { return m.selectPack(*PackID::fromRawValue(QStringLiteral("hexxit"))); }));
    EXPECT_EQ(refused.model->backup(), before.backup);
    EXPECT_EQ(refused.model->diagnosticPreview(), before.diagnosticPreview);

    ModelHarness direct;
    scriptHealthySession(*direct.session);
    PackDescriptor directPack = PackDescriptor::tekkit2;
    directPack.id = *PackID::fromRawValue(QStringLiteral("direct-pack"));
    directPack.name = QStringLiteral("Direct Pack");
    directPack.launchMode = LaunchMode::direct;
    direct.session->script([directPack](FakeSession::Script& s) { s.selectPack = [directPack](const PackID&) { return directPack; }; });
    // A change of pack makes the session forget its inspection.
    direct.session->store([](FakeSession::Stored& s) { s.lastInspection.reset(); });
    direct.model->setStateForTesting(before);
    ASSERT_TRUE(direct.run([directPack](AppModel& m) { return m.selectPack(directPack.id); }));
    EXPECT_EQ(direct.model->selectedPackID(), directPack.id);
    EXPECT_EQ(direct.model->status(), QStringLiteral("Direct Pack selected."));
    EXPECT_EQ(direct.model->backup(), std::nullopt);
    EXPECT_EQ(direct.model->diagnosticURL(), std::nullopt);
    EXPECT_EQ(direct.model->inspection(), std::nullopt);
    EXPECT_EQ(direct.session->callNames(), (QStringList{"selectPack", "handoffReadiness"}));
}

} // namespace
} // namespace orvane
