#include "app/support/EventLoop.h"
#include "app/support/ModelHarness.h"
#include "app/support/SampleRecords.h"
#include "app/support/ScriptedLaunch.h"
#include "json/DescribedError.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using test::FakeSession;
using test::ModelHarness;

const QString watching
    = QStringLiteral("Watching Technic startup. Select Tekkit 2 and press Play there. Orvane never clicks Play.");

// A session ready for the primary action: the report says `kind`; the launch returns `result`.
void scriptPrimaryAction(FakeSession& session, HandoffReadinessReport report,
                         LaunchResult result = test::sampleLaunchResult(LaunchResultState::handoffReady))
{
    session.script([report, result](FakeSession::Script& s) {
        s.refreshCapability = [] { return test::sampleCapability(); };
        s.discoverAndInspect = [] { return test::certifiedInspection(); };
        s.inspectCertified = [] { return test::certifiedInspection(); };
        s.inspect = [] { return test::certifiedInspection(); };
        s.handoffReadiness = [report](const ProcessEnvironment&) { return report; };
        s.applyBalanced = [] { return ApplyResult{QStringLiteral("20261208-072108-preOverlay"), {}, {}}; };
        s.launchSelectedPack = [result](const LaunchEventHandler&) { return result; };
    });
    session.store([](FakeSession::Stored& s) {
        s.lastBackup = test::sampleManifest(QStringLiteral("20261208-072108-preOverlay"), BackupKind::preOverlay);
    });
}

void expectSettled(const AppModel& model)
{
    EXPECT_FALSE(model.primaryActionInFlight());
    EXPECT_FALSE(model.busy());
    EXPECT_FALSE(model.observingLaunch());
    EXPECT_FALSE(model.providerOperationActive());
}

TEST(PrimaryAction, AppliesBalancedThenOpensTechnicAndShowsTheOutcome)
{
    ModelHarness h;
    scriptPrimaryAction(*h.session, test::sampleReport(HandoffSetupKind::applyBalanced, true, false));
    std::vector<QString> statuses;
    QObject::connect(h.model.get(), &AppModel::statusChanged, h.model.get(),
                     [&] { statuses.push_back(h.model->status()); });
    AppModelState before;
    before.restoreResult = RestoreResult{};
    h.model->setStateForTesting(before);

    ASSERT_TRUE(h.run([](AppModel& m) { return m.performPrimaryAction(); }));
    ASSERT_TRUE(test::runEventsUntil([&] { return h.session->callNames().size() >= 10; }));

    EXPECT_EQ(h.session->callNames(),
              (QStringList{"refreshCapability", "discoverAndInspect", "inspectCertified", "handoffReadiness",
                           "handoffReadiness", "applyBalanced", "handoffReadiness", "launchSelectedPack",
                           "loadLatestLaunchReceipt", "handoffReadiness"}));
    EXPECT_EQ(statuses, (std::vector<QString>{QStringLiteral("Checking Technic and Tekkit 2…"),
                                              QStringLiteral("Backing up and applying Balanced…"),
                                              QStringLiteral("Opening official Technic…"), watching,
                                              QStringLiteral("Technic is open.")}));
    EXPECT_EQ(h.model->applyResult()->backupId, QStringLiteral("20261208-072108-preOverlay"));
    EXPECT_EQ(h.model->backup()->id, QStringLiteral("20261208-072108-preOverlay"));
    EXPECT_EQ(h.model->restoreResult(), std::nullopt);
    EXPECT_EQ(h.model->providerLaunchResult(), test::sampleLaunchResult(LaunchResultState::handoffReady));
    EXPECT_EQ(h.model->errorMessage(), std::nullopt);
    // busy stays on through the handoff watch.
    EXPECT_EQ(h.busyChanges, (std::vector<bool>{true, false}));
    expectSettled(*h.model);
}

TEST(PrimaryAction, OpensAtOnceWhenBalancedIsAlreadyApplied)
{
    ModelHarness h;
    scriptPrimaryAction(*h.session, test::sampleReport(HandoffSetupKind::ready, true, true));
    h.session->store([](FakeSession::Stored& s) { s.lastInspection = test::certifiedInspection(); });
    ASSERT_TRUE(h.run([](AppModel& m) { return m.performPrimaryAction(); }));
    EXPECT_FALSE(h.session->callNames().contains(QStringLiteral("applyBalanced")));
    // A known instance is not discovered again.
    EXPECT_FALSE(h.session->callNames().contains(QStringLiteral("discoverAndInspect")));
    EXPECT_TRUE(h.session->callNames().contains(QStringLiteral("launchSelectedPack")));
    expectSettled(*h.model);
}

TEST(PrimaryAction, RefusalsShowTheirExactTextsAndLaunchNothing)
{
    // The launcher Java check runs itself, over the empty home's JVM root: no Java there.
    test::TempDir home;
    const QString noJava = QStringLiteral("No Java 8 for arm64 in ") + pathText(home.path() / "no-jvm")
        + QStringLiteral(". Install arm64 Zulu 8 or set JAVA_HOME to an arm64 Java 8 JDK.");

    InstallInspection withoutTechnic = test::certifiedInspection();
    withoutTechnic.technicApp.reset();
    struct Case {
        const char* name;
        HandoffReadinessReport report;
        std::optional<InstallInspection> certified; // none: inspectCertified throws
        QString text;
    };
    const OrvaneError wrongForge = OrvaneError::unsupportedForge(QStringLiteral("14.23.5.2859"), QStringLiteral("14.23.5.2860"));
    const std::vector<Case> cases{
        {"no Technic application", test::sampleReport(HandoffSetupKind::applyBalanced, true, false), withoutTechnic,
         OrvaneError::technicAppMissing().description()},
        {"launcher Java", test::sampleReport(HandoffSetupKind::installLauncherJava, true, false),
         test::certifiedInspection(), noJava},
        {"quit with no required action", test::sampleReport(HandoffSetupKind::quitRunning, false, false),
         test::certifiedInspection(),
         QStringLiteral("Orvane refused to apply the overlay: Quit Technic and Minecraft before Orvane applies, "
                        "restores, or backs up files.")},
        {"uncertified instance", test::sampleReport(HandoffSetupKind::applyBalanced, true, false), std::nullopt,
         wrongForge.description()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h(test::testSeams(home.path()));
        scriptPrimaryAction(*h.session, c.report);
        const auto certified = c.certified;
        h.session->script([certified, wrongForge](FakeSession::Script& s) {
            s.inspectCertified = [certified, wrongForge]() -> InstallInspection {
                if (!certified)
                    throw wrongForge;
                return *certified;
            };
        });
        ASSERT_TRUE(h.run([](AppModel& m) { return m.performPrimaryAction(); }));
        EXPECT_EQ(h.model->errorMessage(), c.text);
        EXPECT_EQ(h.model->status(), c.text);
        EXPECT_FALSE(h.session->callNames().contains(QStringLiteral("applyBalanced")));
        EXPECT_FALSE(h.session->callNames().contains(QStringLiteral("launchSelectedPack")));
        expectSettled(*h.model);
        if (!c.certified) {
            // The read-only inspection still shows what was found.
            EXPECT_EQ(h.model->inspection(), test::certifiedInspection());
            EXPECT_FALSE(h.session->callNames().contains(QStringLiteral("handoffReadiness")));
        }
    }
}

TEST(PrimaryAction, ACancelledWatchIsNoError)
{
    ModelHarness h;
    scriptPrimaryAction(*h.session, test::sampleReport(HandoffSetupKind::ready, true, true));
    h.session->script([](FakeSession::Script& s) {
        s.launchSelectedPack = [](const LaunchEventHandler&) -> LaunchResult { throw CancellationError(); };
    });
    ASSERT_TRUE(h.run([](AppModel& m) { return m.performPrimaryAction(); }));
    EXPECT_EQ(h.model->status(), QStringLiteral("Launch observation cancelled."));
    EXPECT_EQ(h.model->errorMessage(), std::nullopt);
    EXPECT_TRUE(h.model->launchWasCancelled());
    EXPECT_EQ(h.model->lastCheckLine(), QStringLiteral("LAUNCH OBSERVATION CANCELLED."));
    expectSettled(*h.model);
}

TEST(PrimaryAction, ASecondPressWhileTheFirstRunsChangesNothing)
{
    ModelHarness h;
    scriptPrimaryAction(*h.session, test::sampleReport(HandoffSetupKind::ready, true, true));
    test::ScriptedLaunch launch;
    launch.install(*h.session);
    bool firstDone = false;
    [](AppModel& m, bool& done) -> QCoro::Task<> {
        co_await m.performPrimaryAction();
        done = true;
    }(*h.model, firstDone);
    ASSERT_TRUE(test::runEventsUntil([&] { return launch.blocked() && h.model->providerOperationActive(); }));

    const AppModelState during = h.model->state();
    const QStringList callsDuring = h.session->callNames();
    ASSERT_TRUE(h.run([](AppModel& m) { return m.performPrimaryAction(); }));
    EXPECT_EQ(h.model->state(), during);
    EXPECT_EQ(h.session->callNames(), callsDuring);

    launch.finish(test::sampleLaunchResult(LaunchResultState::gameLoaded));
    ASSERT_TRUE(test::runEventsUntil([&] { return firstDone; }));
    expectSettled(*h.model);
}

TEST(PrimaryAction, ADirectPackGoesStraightToTheLaunch)
{
    ModelHarness h;
    PackDescriptor directPack = PackDescriptor::tekkit2;
    directPack.id = *PackID::fromRawValue(QStringLiteral("direct-pack"));
    directPack.name = QStringLiteral("Direct Pack");
    directPack.launchMode = LaunchMode::direct;
    AppModelState before;
    before.availablePacks = {directPack};
    before.selectedPackID = directPack.id;
    h.model->setStateForTesting(before);
    std::vector<QString> statuses;
    QObject::connect(h.model.get(), &AppModel::statusChanged, h.model.get(),
                     [&] { statuses.push_back(h.model->status()); });
    h.session->script([](FakeSession::Script& s) {
        s.launchSelectedPack = [](const LaunchEventHandler&) -> LaunchResult {
            throw OrvaneError::launchObservationFailed(QStringLiteral("Direct launch is closed in this build."));
        };
    });
    ASSERT_TRUE(h.run([](AppModel& m) { return m.performPrimaryAction(); }));
    EXPECT_EQ(h.session->callNames(), QStringList{"launchSelectedPack"});
    EXPECT_EQ(statuses, (std::vector<QString>{QStringLiteral("Preparing Direct Pack…"),
                                              QStringLiteral("Direct launch is closed in this build.")}));
    // busy ends when the direct watch starts.
    EXPECT_EQ(h.busyChanges, (std::vector<bool>{true, false}));
    expectSettled(*h.model);
}

} // namespace
} // namespace orvane
