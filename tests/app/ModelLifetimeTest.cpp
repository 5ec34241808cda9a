// A model destroyed while one of its operations awaits the session: the session's answer still arrives
// (the model's destructor waits for the pool, the answer comes later from the event loop), and the
// operation must end there without touching the freed model. The ASan build is what sees a fault here.
#include "app/support/EventLoop.h"
#include "app/support/ModelHarness.h"
#include "app/support/ScriptedLaunch.h"
#include "support/QtPrinters.h"

#include "model/OrvaneError.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

namespace orvane {
namespace {

using test::FakeSession;
using test::ModelHarness;

// Starts `operation` as the window does (no handle kept) and reports when it has ended.
std::shared_ptr<bool> start(const std::function<QCoro::Task<>(AppModel&)>& operation, AppModel& model)
{
    auto done = std::make_shared<bool>(false);
    [](QCoro::Task<> running, std::shared_ptr<bool> finished) -> QCoro::Task<> {
        co_await running;
        *finished = true;
    }(operation(model), done);
    return done;
}

TEST(ModelLifetime, AModelDestroyedWhileItsOperationAwaitsTheSessionIsNeverTouchedAgain)
{
    struct Case {
        const char* name;
        std::function<QCoro::Task<>(AppModel&)> operation;
        // The session call held while the model goes.
        QString held;
        // The calls made by then, and so all the calls ever made.
        QStringList calls;
        // Scripts further answers of the fake session.
        std::function<void(FakeSession::Script&)> script;
    };
    const auto certified = [](FakeSession::Script& s) {
        s.refreshCapability = [] { return test::sampleCapability(); };
        s.inspectCertified = [] { return test::certifiedInspection(); };
        s.latestBackups = [] { return SessionPort::LatestBackups{}; };
    };
    const std::vector<Case> cases{
        {"inspect during refreshCapability", &AppModel::inspect, QStringLiteral("refreshCapability"),
         {QStringLiteral("refreshCapability")}, certified},
        {"a session call that fails as the model goes", &AppModel::inspect, QStringLiteral("refreshCapability"),
         {QStringLiteral("refreshCapability")},
         [](FakeSession::Script& s) {
             s.refreshCapability = []() -> CapabilityReport { throw OrvaneError::io(QStringLiteral("No answer.")); };
         }},
        {"the readiness refresh inside a Mac check (its errors are swallowed)", &AppModel::checkThisMac,
         QStringLiteral("handoffReadiness"), {QStringLiteral("refreshCapability"), QStringLiteral("handoffReadiness")},
         certified},
        {"the read-only fallback after a refused certification", &AppModel::inspect, QStringLiteral("inspect"),
         {QStringLiteral("refreshCapability"), QStringLiteral("inspectCertified"), QStringLiteral("inspect")},
         [](FakeSession::Script& s) {
             s.refreshCapability = [] { return test::sampleCapability(); };
             s.inspectCertified = []() -> InstallInspection { throw std::runtime_error("not certified"); };
             s.inspect = [] { return test::certifiedInspection(); };
         }},
        {"a world backup", &AppModel::backUpWorlds, QStringLiteral("backUpWorlds"),
         {QStringLiteral("discoverAndInspect"), QStringLiteral("backUpWorlds")},
         [](FakeSession::Script& s) {
             s.discoverAndInspect = [] { return test::certifiedInspection(); };
             s.backUpWorlds = [] { return test::sampleManifest(QStringLiteral("worlds-1"), BackupKind::saves); };
         }},
        {"the initial inspection, which would mark itself completed after busy ends",
         &AppModel::performInitialInspection, QStringLiteral("availablePacks"), {QStringLiteral("availablePacks")},
         [](FakeSession::Script&) {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        h.session->script(c.script);
        const auto gate = h.session->holdNext(c.held);
        const auto done = start(c.operation, *h.model);
        // The calls before the held one resume on this thread, so the event loop runs while waiting.
        ASSERT_TRUE(test::runEventsUntil([&] { return gate->waitUntilEntered(0); }));

        // The answer is ready before the model goes; it can reach the operation only afterwards.
        gate->release();
        h.model.reset();
        ASSERT_TRUE(test::runEventsUntil([&] { return *done; }));
        EXPECT_EQ(h.session->callNames(), c.calls);
    }
}

TEST(ModelLifetime, AModelDestroyedDuringALaunchWatchStopsItAndIsNeverTouchedAgain)
{
    // The primary action straight to a blocking launch (Balanced already applied), and Open Technic.
    const std::function<QCoro::Task<>(AppModel&)> operations[] = {&AppModel::performPrimaryAction,
                                                                   &AppModel::openTechnic};
    for (const auto& operation : operations) {
        ModelHarness h;
        test::ScriptedLaunch launch;
        test::scriptReadyToLaunch(*h.session);
        const QUuid operationID = QUuid::createUuid();
        launch.setEvents({test::sampleEvent(operationID, LaunchEventKind::waitingForPlayer,
                                            QStringLiteral("Technic is ready for Play."))});
        launch.install(*h.session);
        const auto done = start(operation, *h.model);
        ASSERT_TRUE(test::runEventsUntil([&] { return launch.blocked() && h.model->providerOperationActive(); }));

        // The destructor stops the watch and waits for it; the queued event and the cancellation
        // arrive afterwards.
        h.model.reset();
        EXPECT_TRUE(launch.returned());
        EXPECT_EQ(launch.cancelCalls(), 1);
        ASSERT_TRUE(test::runEventsUntil([&] { return *done; }));
        EXPECT_EQ(h.session->callNames().count(QStringLiteral("loadLatestLaunchReceipt")), 0);
    }
}

} // namespace
} // namespace orvane
