#include "app/PoolRunner.h"
#include "app/support/AppModelTestAccess.h"
#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "json/DescribedError.h"
#include "model/AppModel.h"
#include "model/OrvaneError.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <atomic>

namespace orvane {
namespace {

using test::FakeSession;

QThread* mainThread()
{
    return QCoreApplication::instance()->thread();
}

TEST(SessionPath, ASessionErrorReachesTheModelWithItsTextAfterRunningOffTheMainThread)
{
    auto session = std::make_shared<FakeSession>();
    session->script([](FakeSession::Script& s) {
        s.inspectCertified = []() -> InstallInspection {
            throw OrvaneError::unsupportedPackVersion(QStringLiteral("1.2.5"), QStringLiteral("1.2.6"));
        };
    });
    AppModel model(session, test::testSeams());

    bool done = false;
    QThread* resumedOn = nullptr;
    auto operation = [&]() -> QCoro::Task<> {
        try {
            co_await AppModelTestAccess::onSession(model, [](SessionPort& s) { return s.inspectCertified(); });
        } catch (...) {
            resumedOn = QThread::currentThread();
            AppModelTestAccess::showError(model, std::current_exception());
        }
        done = true;
    };
    operation();

    ASSERT_TRUE(test::runEventsUntil([&] { return done; }));
    const QString expected = QStringLiteral("This instance is Tekkit 1.2.5. Orvane’s certified profile is 1.2.6.");
    EXPECT_EQ(model.errorMessage(), expected);
    EXPECT_EQ(model.status(), expected);
    ASSERT_EQ(session->calls().size(), 1u);
    EXPECT_NE(session->calls().front().thread, mainThread());
    EXPECT_EQ(resumedOn, mainThread());
}

TEST(SessionPath, ErrorsArriveUnwrappedAndCancellationFirst)
{
    PoolRunner runner;
    struct Case {
        const char* name;
        std::function<void()> work;
        QString expected;
        bool cancellation;
    };
    const std::vector<Case> cases{
        {"our error", [] { throw OrvaneError::io(QStringLiteral("Disk full.")); }, QStringLiteral("Disk full."), false},
        {"cancellation", [] { throw CancellationError(); }, QStringLiteral("The operation was cancelled."), true},
        {"platform error",
         [] { throw std::system_error(std::make_error_code(std::errc::permission_denied), "open /x"); },
         describe(std::system_error(std::make_error_code(std::errc::permission_denied), "open /x")), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool done = false;
        QString text;
        bool cancelled = false;
        auto operation = [&]() -> QCoro::Task<> {
            try {
                co_await runner.run(c.work);
            } catch (const CancellationError& e) {
                cancelled = true;
                text = e.description();
            } catch (const std::exception& e) {
                text = describe(e);
            }
            done = true;
        };
        operation();
        ASSERT_TRUE(test::runEventsUntil([&] { return done; }));
        EXPECT_EQ(text, c.expected);
        EXPECT_EQ(cancelled, c.cancellation);
    }
}

TEST(SessionPath, ACallIsServedWhileTwoOthersHoldPoolThreads)
{
    auto session = std::make_shared<FakeSession>();
    session->script([](FakeSession::Script& s) {
        s.launchSelectedPack = [](const LaunchEventHandler&) -> LaunchResult { throw CancellationError(); };
        s.inspect = [] { return InstallInspection{}; };
        s.cancelActiveLaunch = [] { return true; };
    });
    auto watch = session->holdNext(QStringLiteral("launchSelectedPack"));
    auto inspection = session->holdNext(QStringLiteral("inspect"));
    AppModel model(session, test::testSeams());

    int finished = 0;
    auto launch = [&]() -> QCoro::Task<> {
        try {
            co_await AppModelTestAccess::onSession(model, [](SessionPort& s) { return s.launchSelectedPack({}); });
        } catch (const CancellationError&) {
        }
        ++finished;
    };
    auto inspect = [&]() -> QCoro::Task<> {
        co_await AppModelTestAccess::onSession(model, [](SessionPort& s) { return s.inspect(); });
        ++finished;
    };
    launch();
    ASSERT_TRUE(watch->waitUntilEntered());
    inspect();
    ASSERT_TRUE(inspection->waitUntilEntered());

    bool cancelled = false;
    auto cancel = [&]() -> QCoro::Task<> {
        cancelled = co_await AppModelTestAccess::onSession(model, [](SessionPort& s) { return s.cancelActiveLaunch(); });
    };
    cancel();
    ASSERT_TRUE(test::runEventsUntil([&] { return cancelled; }));

    watch->release();
    inspection->release();
    ASSERT_TRUE(test::runEventsUntil([&] { return finished == 2; }));
    EXPECT_EQ(session->callNames(),
              (QStringList{QStringLiteral("launchSelectedPack"), QStringLiteral("inspect"),
                           QStringLiteral("cancelActiveLaunch")}));
}

} // namespace
} // namespace orvane
