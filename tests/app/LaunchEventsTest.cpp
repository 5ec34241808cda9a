#include "app/support/AppModelTestAccess.h"
#include "app/support/EventLoop.h"
#include "app/support/ModelHarness.h"
#include "app/support/SampleRecords.h"
#include "app/support/ScriptedLaunch.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

namespace orvane {
namespace {

using test::FakeSession;
using test::ModelHarness;
using test::ScriptedLaunch;
using test::sampleEvent;

// A model whose primary action goes straight to a blocking launch (Balanced already applied).
struct WatchHarness {
    WatchHarness()
    {
        test::scriptReadyToLaunch(*h.session);
        launch.install(*h.session);
        QObject::connect(h.model.get(), &AppModel::statusChanged, h.model.get(), [this] {
            statuses.push_back(h.model->status());
            statusThreads.push_back(QThread::currentThread());
        });
    }

    // Starts the primary action and waits until the launch blocks with the model watching.
    void startWatch()
    {
        [](AppModel& m, bool& done) -> QCoro::Task<> {
            co_await m.performPrimaryAction();
            done = true;
        }(*h.model, actionDone);
        ASSERT_TRUE(test::runEventsUntil([&] { return launch.blocked() && h.model->providerOperationActive(); }));
    }

    ModelHarness h;
    ScriptedLaunch launch;
    bool actionDone = false;
    std::vector<QString> statuses;
    std::vector<QThread*> statusThreads;
};

const QUuid operation = QUuid::fromString(QStringLiteral("{0E2A4C66-6B1A-4F55-9E0B-3F1F4D9F8A01}"));

TEST(LaunchEvents, AcceptedEventsArriveInOrderOnTheMainThread)
{
    WatchHarness w;
    const QString ready = QStringLiteral("Technic is ready for Play.");
    w.launch.setEvents({
        sampleEvent(operation, LaunchEventKind::preparing, QStringLiteral("Checking the official Technic handoff.")),
        sampleEvent(operation, LaunchEventKind::openingProvider, QStringLiteral("Opening official Technic.")),
        sampleEvent(operation, LaunchEventKind::waitingForPlayer, ready),
    });
    w.startWatch();
    ASSERT_TRUE(test::runEventsUntil([&] { return w.h.model->liveLaunchEventStatus() == ready; }));

    const std::vector<QString> live(w.statuses.end() - 3, w.statuses.end());
    EXPECT_EQ(live, (std::vector<QString>{QStringLiteral("Checking the official Technic handoff."),
                                          QStringLiteral("Opening official Technic."), ready}));
    for (QThread* thread : w.statusThreads)
        EXPECT_EQ(thread, QCoreApplication::instance()->thread());
    EXPECT_EQ(w.h.model->activeProviderOperationID(), operation);

    LaunchResult result = test::sampleLaunchResult(LaunchResultState::timedOut);
    result.operationID = operation;
    result.message = QStringLiteral("Technic opened, but the game was not seen within 3 minutes.");
    w.launch.finish(result);
    ASSERT_TRUE(test::runEventsUntil([&] { return w.actionDone; }));
    EXPECT_EQ(w.h.model->status(), result.message);
    EXPECT_EQ(w.h.model->liveLaunchEventStatus(), std::nullopt);
    EXPECT_EQ(w.h.model->activeProviderOperationID(), std::nullopt);
    EXPECT_EQ(w.h.model->terminalProviderOperationIDs(), std::vector<QUuid>{operation});
    EXPECT_EQ(w.h.model->errorMessage(), std::nullopt);
}

TEST(LaunchEvents, EventsOfAnotherPackProviderOrOperationAreDropped)
{
    WatchHarness w;
    LaunchEvent otherPack = sampleEvent(operation, LaunchEventKind::preparing, QStringLiteral("Other pack."));
    otherPack.packID = *PackID::fromRawValue(QStringLiteral("hexxit"));
    LaunchEvent otherProvider = sampleEvent(operation, LaunchEventKind::preparing, QStringLiteral("Other provider."));
    otherProvider.providerID = LaunchProviderID::orvaneDirect;
    const QUuid finished = QUuid::createUuid();
    const QUuid later = QUuid::createUuid();
    AppModelState before;
    before.terminalProviderOperationIDs = {finished};
    w.h.model->setStateForTesting(before);
    w.launch.setEvents({
        otherPack,
        otherProvider,
        sampleEvent(finished, LaunchEventKind::gameLoaded, QStringLiteral("Old operation.")),
        sampleEvent(operation, LaunchEventKind::preparing, QStringLiteral("Accepted.")),
        sampleEvent(later, LaunchEventKind::preparing, QStringLiteral("Second operation in the same watch.")),
    });
    w.startWatch();
    ASSERT_TRUE(test::runEventsUntil([&] { return w.h.model->liveLaunchEventStatus().has_value(); }));
    // Let anything still queued arrive.
    QCoreApplication::processEvents();
    EXPECT_EQ(w.h.model->liveLaunchEventStatus(), QStringLiteral("Accepted."));
    EXPECT_EQ(w.h.model->activeProviderOperationID(), operation);
    w.launch.finish(test::sampleLaunchResult(LaunchResultState::handoffReady));
    ASSERT_TRUE(test::runEventsUntil([&] { return w.actionDone; }));
}

TEST(LaunchEvents, ALongMessageIsCutAtItsHundredAndSixtiethCharacter)
{
    WatchHarness w;
    // 159 letters, then a family emoji of several code points: the cut keeps it whole.
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467");
    const QString message = QString(159, QLatin1Char('a')) + family + QStringLiteral("bcd");
    w.launch.setEvents({sampleEvent(operation, LaunchEventKind::waitingForPlayer, message)});
    w.startWatch();
    ASSERT_TRUE(test::runEventsUntil([&] { return w.h.model->liveLaunchEventStatus().has_value(); }));
    EXPECT_EQ(w.h.model->liveLaunchEventStatus(), QString(159, QLatin1Char('a')) + family);
    EXPECT_EQ(w.h.model->status(), QString(159, QLatin1Char('a')) + family);
    w.launch.finish(test::sampleLaunchResult(LaunchResultState::handoffReady));
    ASSERT_TRUE(test::runEventsUntil([&] { return w.actionDone; }));
}

TEST(LaunchEvents, CancelIsServedWithinASecondWhileTheProviderBlocksAndASecondPressIsIgnored)
{
    WatchHarness w;
    w.launch.setEvents({sampleEvent(operation, LaunchEventKind::waitingForPlayer, QStringLiteral("Technic is ready for Play."))});
    w.startWatch();
    ASSERT_TRUE(test::runEventsUntil([&] { return w.h.model->activeProviderOperationID().has_value(); }));

    QElapsedTimer clock;
    clock.start();
    bool firstCancelDone = false;
    [](AppModel& m, bool& done) -> QCoro::Task<> {
        co_await m.cancelLaunchObservation();
        done = true;
    }(*w.h.model, firstCancelDone);
    EXPECT_TRUE(w.h.model->cancellationRequested());
    // The second press finds the request pending and returns at once.
    ASSERT_TRUE(w.h.run([](AppModel& m) { return m.cancelLaunchObservation(); }));
    ASSERT_TRUE(test::runEventsUntil([&] { return firstCancelDone && w.actionDone; }, 1000));
    EXPECT_LT(clock.elapsed(), 1000);

    EXPECT_EQ(w.launch.cancelCalls(), 1);
    EXPECT_EQ(w.h.model->status(), QStringLiteral("Launch observation cancelled."));
    EXPECT_EQ(w.h.model->errorMessage(), std::nullopt);
    EXPECT_TRUE(w.h.model->launchWasCancelled());
    EXPECT_FALSE(w.h.model->cancellationRequested());
    EXPECT_EQ(w.h.model->terminalProviderOperationIDs(), std::vector<QUuid>{operation});
    EXPECT_FALSE(w.h.model->primaryActionInFlight());
}

TEST(LaunchEvents, CancelWithNoActiveLaunchChangesNothingVisible)
{
    // The model believes a watch runs, but the session has none any more.
    ModelHarness h;
    h.session->script([](FakeSession::Script& s) { s.cancelActiveLaunch = [] { return false; }; });
    AppModelState before;
    before.providerOperationActive = true;
    before.status = QStringLiteral("Technic is ready for Play.");
    h.model->setStateForTesting(before);
    ASSERT_TRUE(h.run([](AppModel& m) { return m.cancelLaunchObservation(); }));
    EXPECT_EQ(h.model->status(), before.status);
    EXPECT_FALSE(h.model->cancellationRequested());
    EXPECT_FALSE(h.model->launchWasCancelled());
    EXPECT_EQ(h.session->callNames(), QStringList{"cancelActiveLaunch"});

    // Without a watch CANCEL does not reach the session.
    ModelHarness idle;
    ASSERT_TRUE(idle.run([](AppModel& m) { return m.cancelLaunchObservation(); }));
    EXPECT_TRUE(idle.session->callNames().isEmpty());
}

TEST(LaunchEvents, TheOutcomeOfEachResultStateAndTheReceiptReload)
{
    struct Case {
        LaunchResultState state;
        bool setsError;
        bool cancelled;
    };
    const Case cases[] = {
        {LaunchResultState::handoffReady, false, false},
        {LaunchResultState::failed, true, false},
        {LaunchResultState::timedOut, false, false},
        {LaunchResultState::cancelled, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.state));
        WatchHarness w;
        w.h.session->script([](FakeSession::Script& s) { s.loadLatestLaunchReceipt = [] { return std::optional<LaunchReceipt>(); }; });
        AppModelState before = w.h.model->state();
        before.persistedLaunchReceipt = test::sampleReceipt(LaunchOutcome::forgeLoaded);
        w.h.model->setStateForTesting(before);
        w.startWatch();
        LaunchResult result = test::sampleLaunchResult(c.state, test::sampleObservation(LaunchOutcome::javaStarted));
        result.message = QStringLiteral("Outcome sentence.");
        w.launch.finish(result);
        ASSERT_TRUE(test::runEventsUntil([&] { return w.actionDone && !w.h.model->persistedLaunchReceipt(); }));
        EXPECT_EQ(w.h.model->status(), QStringLiteral("Outcome sentence."));
        EXPECT_EQ(w.h.model->errorMessage(), c.setsError ? std::optional(QStringLiteral("Outcome sentence.")) : std::nullopt);
        EXPECT_EQ(w.h.model->launchWasCancelled(), c.cancelled);
        EXPECT_EQ(w.h.model->launch(), test::sampleObservation(LaunchOutcome::javaStarted));
    }
}

TEST(LaunchEvents, TheNewestThirtyTwoFinishedOperationsAreRemembered)
{
    ModelHarness h;
    std::vector<QUuid> ids;
    for (int i = 0; i < 33; ++i)
        ids.push_back(QUuid::createUuid());
    for (const QUuid& id : ids)
        AppModelTestAccess::markProviderOperationTerminal(*h.model, id);
    const std::vector<QUuid> newest(ids.begin() + 1, ids.end());
    EXPECT_EQ(h.model->terminalProviderOperationIDs(), newest);

    int notified = 0;
    QObject::connect(h.model.get(), &AppModel::terminalProviderOperationIDsChanged, h.model.get(), [&] { ++notified; });
    AppModelTestAccess::markProviderOperationTerminal(*h.model, ids.back());
    EXPECT_EQ(h.model->terminalProviderOperationIDs(), newest);
    EXPECT_EQ(notified, 0);
}

TEST(LaunchEvents, TerminalEventsMarkTheOperationAndACancelledOneSetsTheFlag)
{
    for (const LaunchEventKind kind : {LaunchEventKind::completed, LaunchEventKind::cancelled}) {
        SCOPED_TRACE(static_cast<int>(kind));
        WatchHarness w;
        w.launch.setEvents({sampleEvent(operation, kind, QStringLiteral("Launch handoff complete."))});
        w.startWatch();
        ASSERT_TRUE(test::runEventsUntil([&] { return !w.h.model->terminalProviderOperationIDs().empty(); }));
        EXPECT_EQ(w.h.model->terminalProviderOperationIDs(), std::vector<QUuid>{operation});
        EXPECT_EQ(w.h.model->launchWasCancelled(), kind == LaunchEventKind::cancelled);
        w.launch.finish(test::sampleLaunchResult(LaunchResultState::handoffReady));
        ASSERT_TRUE(test::runEventsUntil([&] { return w.actionDone; }));
    }
}

TEST(LaunchEvents, QuittingDuringABlockedWatchFinishesWithinTwoSeconds)
{
    WatchHarness w;
    w.startWatch();

    QElapsedTimer clock;
    clock.start();
    // The application's own quit: aboutToQuit reaches the model while the watch still blocks.
    QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(w.launch.returned());
    EXPECT_GE(w.launch.cancelCalls(), 1);

    // The model settles once its events run again.
    ASSERT_TRUE(test::runEventsUntil([&] { return w.actionDone; }));
    EXPECT_EQ(w.h.model->status(), QStringLiteral("Launch observation cancelled."));
}

} // namespace
} // namespace orvane
