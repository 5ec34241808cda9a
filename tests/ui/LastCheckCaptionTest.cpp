// The LAST CHECK caption under the primary card, as the launch's result reaches the window through
// the model: shown at once, and read by a screen reader as it is painted.

#include "WindowHarness.h"

#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/SampleRecords.h"
#include "app/support/TestSeams.h"
#include "ui/theme/FittedLabel.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/window/PrimaryButton.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QTest>

namespace orvane {
namespace {

namespace states = test::states;

// The window's operations: only the primary action runs, on the model.
class PrimaryActionOnly final : public WindowOperations {
public:
    explicit PrimaryActionOnly(AppModel& model) : m_model(model) {}
    void performInitialInspection() override {}
    void refreshReadiness() override {}
    void selectPack(const PackID&) override {}
    void chooseInstanceFolder(const std::filesystem::path&) override {}
    void performPrimaryAction() override { (void)m_model.performPrimaryAction(); }
    void cancelLaunchObservation() override {}
    void restoreSettings() override {}

private:
    AppModel& m_model;
};

TEST(LastCheckCaption, TheCaptionReadsTheLaunchsResultAsSoonAsItArrivesAndIsReadAsPainted)
{
    const QString died = QStringLiteral(
        "Technic did not start: Java exited 1. Exception in thread main java.lang.NoClassDefFoundError: net/Launch");
    struct Case {
        const char* name;
        LaunchResultState state;
        LaunchOutcome outcome;
        QString caption;
        bool problem;
    };
    const Case cases[] = {
        {"the launcher dies at once", LaunchResultState::failed, LaunchOutcome::crashDetected,
         QStringLiteral("LAST CHECK · STARTUP ISSUE DETECTED"), true},
        {"no Technic", LaunchResultState::failed, LaunchOutcome::technicMissing,
         QStringLiteral("LAST CHECK · TECHNIC NOT FOUND"), true},
        {"timed out", LaunchResultState::timedOut, LaunchOutcome::timedOut,
         QStringLiteral("LAST CHECK · TIMEOUT (3 MIN) · GAME NOT DETECTED"), true},
        {"the game loaded", LaunchResultState::gameLoaded, LaunchOutcome::forgeLoaded,
         QStringLiteral("LAST CHECK · FORGE LOADED"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto session = std::make_shared<test::FakeSession>();
        AppModelState ready = states::ready();
        ready.inspection->technicApp = std::filesystem::path("/Applications/Technic Launcher.app");
        session->store([&](test::FakeSession::Stored& s) { s.lastInspection = ready.inspection; });
        session->script([&](test::FakeSession::Script& s) {
            s.refreshCapability = [&] { return *ready.capability; };
            s.inspectCertified = [&] { return *ready.inspection; };
            s.handoffReadiness = [&](const ProcessEnvironment&) { return *ready.handoffReadiness; };
            s.launchSelectedPack = [&](const LaunchEventHandler&) {
                LaunchObservation observation = test::sampleObservation(c.outcome);
                observation.message = died;
                LaunchResult result = test::sampleLaunchResult(c.state, observation);
                result.message = died;
                return result;
            };
        });
        AppModel model(session, test::testSeams("/nonexistent-home", true));
        model.setStateForTesting(ready);
        auto announcer = std::make_shared<test::RecordingAnnouncer>();
        ContentView view(model, ContentView::Seams{std::make_shared<PrimaryActionOnly>(model),
                                                   std::make_shared<FixedAccessibilityPrefs>(), announcer,
                                                   std::make_shared<test::AnsweringFolderChooser>()});
        view.resize(1020, 800);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

        view.primaryButton()->click();
        ASSERT_TRUE(test::runEventsUntil([&] { return !model.primaryActionInFlight(); }));
        ASSERT_TRUE(test::runEventsUntil([&] { return view.subtitle()->text() == c.caption; }, 1000))
            << "shows " << view.subtitle()->text().toStdString();
        EXPECT_EQ(view.subtitle()->color() == OrvaneTheme::warning(), c.problem);
        QAccessibleInterface* caption = QAccessible::queryAccessibleInterface(view.subtitle());
        EXPECT_EQ(caption->text(QAccessible::Name), c.caption) << "read as painted";
        EXPECT_EQ(caption->text(QAccessible::Description), died) << "the observation's own sentence beside it";
        if (c.state == LaunchResultState::failed) {
            EXPECT_EQ(model.errorMessage(), died) << "the failure is still the error line";
            EXPECT_EQ(announcer->announced.last(), died) << "and what is announced";
        }
    }
}

} // namespace
} // namespace orvane
