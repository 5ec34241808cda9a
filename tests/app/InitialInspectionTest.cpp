#include "app/support/ModelHarness.h"
#include "app/support/SampleRecords.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using test::FakeSession;
using test::ModelHarness;

const QString certifiedFound = QStringLiteral("Certified Tekkit 2 1.2.6 found. Nothing was changed.");

// A session with Technic and a certified instance, backups and a receipt on disk.
void scriptFoundInstall(FakeSession& session, InstallInspection inspection = test::certifiedInspection())
{
    session.script([inspection](FakeSession::Script& s) {
        s.refreshCapability = [] { return test::sampleCapability(); };
        s.discoverAndInspect = [inspection] { return inspection; };
        s.latestBackups = [] {
            return SessionPort::LatestBackups{test::sampleManifest(QStringLiteral("overlay-1")),
                                              test::sampleManifest(QStringLiteral("saves-1"), BackupKind::saves)};
        };
        s.loadLatestLaunchReceipt = [] { return test::sampleReceipt(LaunchOutcome::forgeLoaded); };
        s.handoffReadiness = [](const ProcessEnvironment&) {
            return test::sampleReport(HandoffSetupKind::applyBalanced, true, false);
        };
    });
}

TEST(InitialInspection, CallsTheSessionInOrderAndRemembersTheDiscoveredInstance)
{
    ModelHarness h;
    scriptFoundInstall(*h.session);
    ASSERT_TRUE(h.run([](AppModel& m) { return m.performInitialInspection(); }));

    EXPECT_EQ(h.session->callNames(),
              (QStringList{"availablePacks", "refreshCapability", "discoverAndInspect", "latestBackups",
                           "loadLatestLaunchReceipt", "handoffReadiness"}));
    EXPECT_EQ(h.model->status(), certifiedFound);
    EXPECT_EQ(h.model->errorMessage(), std::nullopt);
    EXPECT_EQ(h.model->labInstancePath(), pathText(*test::certifiedInspection().instanceRoot));
    EXPECT_EQ(h.model->backup()->id, QStringLiteral("overlay-1"));
    EXPECT_EQ(h.model->savesBackup()->id, QStringLiteral("saves-1"));
    EXPECT_EQ(h.model->persistedLaunchReceipt(), test::sampleReceipt(LaunchOutcome::forgeLoaded));
    EXPECT_EQ(h.model->handoffReadiness()->setupKind, HandoffSetupKind::applyBalanced);
    EXPECT_EQ(h.model->capability(), test::sampleCapability());
    EXPECT_EQ(h.busyChanges, (std::vector<bool>{true, false}));
    EXPECT_TRUE(h.model->initialInspectionCompleted());
}

TEST(InitialInspection, AppliesARememberedFolderThatStillExistsBeforeDiscovery)
{
    test::TempDir folder;
    ModelHarness h;
    scriptFoundInstall(*h.session);
    std::optional<std::filesystem::path> handedOver;
    h.session->script([&](FakeSession::Script& s) {
        s.setLabInstance = [&](const std::optional<std::filesystem::path>& p) { handedOver = p; };
    });
    h.model->seams().settings->setText(AppModel::labDefaultsKey(), pathText(folder.path()));
    ASSERT_TRUE(h.run([](AppModel& m) { return m.performInitialInspection(); }));

    EXPECT_EQ(h.session->callNames(),
              (QStringList{"availablePacks", "refreshCapability", "setLabInstance", "discoverAndInspect",
                           "latestBackups", "loadLatestLaunchReceipt", "handoffReadiness"}));
    EXPECT_EQ(handedOver, folder.path());
    EXPECT_EQ(h.model->seams().settings->text(AppModel::labDefaultsKey()), pathText(folder.path()));
}

TEST(InitialInspection, ForgetsARememberedFolderThatIsGoneOrNotAbsoluteButKeepsAnEmptyValue)
{
    struct Case {
        const char* name;
        QString remembered;
        std::optional<QString> keptAfterwards;
    };
    const Case cases[] = {
        {"deleted folder", QStringLiteral("/nonexistent/orvane-test/tekkit-2"), std::nullopt},
        {"relative path", QStringLiteral("."), std::nullopt},
        {"empty value", QString(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        scriptFoundInstall(*h.session);
        h.model->seams().settings->setText(AppModel::labDefaultsKey(), c.remembered);
        ASSERT_TRUE(h.run([](AppModel& m) { return m.performInitialInspection(); }));
        EXPECT_FALSE(h.session->callNames().contains(QStringLiteral("setLabInstance")));
        EXPECT_TRUE(h.session->callNames().contains(QStringLiteral("discoverAndInspect")));
        EXPECT_EQ(h.model->seams().settings->text(AppModel::labDefaultsKey()), c.keptAfterwards);
        // The discovered instance is remembered in the model instead.
        EXPECT_EQ(h.model->labInstancePath(), pathText(*test::certifiedInspection().instanceRoot));
    }
}

TEST(InitialInspection, FallsBackToTheReadOnlyInspectionAndGivesGuidanceWithoutAnError)
{
    struct Case {
        const char* name;
        std::optional<InstallInspection> fallback; // none: the fallback throws too
        QString status;
    };
    InstallInspection technicOnly;
    technicOnly.technicApp = std::filesystem::path("/Applications/Technic Launcher.app");
    const Case cases[] = {
        {"nothing installed", std::nullopt,
         QStringLiteral("Install official Technic, then install Tekkit 2 1.2.6 there. You can also choose an "
                        "existing instance folder.")},
        {"fallback without Technic", InstallInspection{},
         QStringLiteral("Install official Technic, then install Tekkit 2 1.2.6 there. You can also choose an "
                        "existing instance folder.")},
        {"fallback finds Technic", technicOnly,
         QStringLiteral("Choose the installed Tekkit 2 1.2.6 instance folder, or install it in official Technic.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        scriptFoundInstall(*h.session);
        const auto fallback = c.fallback;
        h.session->script([fallback](FakeSession::Script& s) {
            s.discoverAndInspect = []() -> InstallInspection { throw OrvaneError::tekkitMissing(); };
            s.inspect = [fallback]() -> InstallInspection {
                if (!fallback)
                    throw OrvaneError::technicDataMissing("/Users/test/Library/Application Support/technic");
                return *fallback;
            };
        });
        ASSERT_TRUE(h.run([](AppModel& m) { return m.performInitialInspection(); }));

        EXPECT_EQ(h.session->callNames(),
                  (QStringList{"availablePacks", "refreshCapability", "discoverAndInspect", "inspect",
                               "loadLatestLaunchReceipt", "handoffReadiness"}));
        EXPECT_EQ(h.model->status(), c.status);
        EXPECT_EQ(h.model->errorMessage(), std::nullopt);
        EXPECT_EQ(h.model->inspection(), c.fallback);
        EXPECT_EQ(h.model->backup(), std::nullopt);
        EXPECT_EQ(h.model->labInstancePath(), std::nullopt);
        EXPECT_FALSE(h.model->busy());
        EXPECT_TRUE(h.model->initialInspectionCompleted());
    }
}

TEST(InitialInspection, StatusSaysWhatWasFound)
{
    struct Case {
        const char* name;
        bool instanceRoot;
        bool archiveWarning;
        bool chosenExplicitly;
        bool certified;
        QString status;
    };
    const QString archive = QStringLiteral(
        "Found an archive copy. Inspect is read-only until you choose that folder or install Tekkit 2 in official "
        "Technic.");
    const Case cases[] = {
        {"no instance", false, false, false, true,
         QStringLiteral("Technic is not installed, or Tekkit 2 1.2.6 was not found. Choose a folder, or install "
                        "Technic from the official site and install the pack there.")},
        {"discovered archive copy", true, true, false, true, archive},
        {"archive copy chosen explicitly", true, true, true, true, certifiedFound},
        {"certified", true, false, false, true, certifiedFound},
        {"another profile", true, false, false, false,
         QStringLiteral("A folder was found, but it is not the certified Tekkit 2 1.2.6 profile.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallInspection inspection = test::certifiedInspection();
        if (!c.instanceRoot)
            inspection.instanceRoot.reset();
        if (c.archiveWarning)
            inspection.warnings.push_back(QStringLiteral("This looks like an archive copy of the instance."));
        inspection.isCertifiedPack = c.certified;
        ModelHarness h;
        scriptFoundInstall(*h.session, inspection);
        h.session->store([&](FakeSession::Stored& s) { s.instanceChosenExplicitly = c.chosenExplicitly; });
        AppModelState before;
        before.labInstancePath = QStringLiteral("/Users/test/earlier");
        h.model->setStateForTesting(before);
        ASSERT_TRUE(h.run([](AppModel& m) { return m.performInitialInspection(); }));
        EXPECT_EQ(h.model->status(), c.status);
        EXPECT_EQ(h.model->labInstancePath(),
                  c.instanceRoot ? pathText(*inspection.instanceRoot) : QStringLiteral("/Users/test/earlier"));
    }
}

TEST(InitialInspection, AFailedReadinessRefreshKeepsTheEarlierReport)
{
    ModelHarness h;
    scriptFoundInstall(*h.session);
    h.session->script([](FakeSession::Script& s) {
        s.handoffReadiness = [](const ProcessEnvironment&) -> HandoffReadinessReport {
            throw OrvaneError::io(QStringLiteral("No report."));
        };
    });
    AppModelState before;
    before.handoffReadiness = test::sampleReport(HandoffSetupKind::ready, true, true);
    h.model->setStateForTesting(before);
    ASSERT_TRUE(h.run([](AppModel& m) { return m.performInitialInspection(); }));
    EXPECT_EQ(h.model->handoffReadiness(), test::sampleReport(HandoffSetupKind::ready, true, true));
    EXPECT_EQ(h.model->status(), certifiedFound);
    EXPECT_EQ(h.model->errorMessage(), std::nullopt);
}

} // namespace
} // namespace orvane
