// When the details sheet's watch announces an action's result: an operation may end before its call
// returns, or while work the sheet did not start still runs.

#include "WindowHarness.h"

#include "app/support/EventLoop.h"
#include "ui/details/DetailsOperations.h"
#include "ui/details/DetailsResultWatch.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QScrollArea>
#include <QTimer>
#include <qcoro/qcorotimer.h>

namespace orvane {
namespace {

// Writes a diagnostic as the model does: the new status reaches the label in the event loop's next
// turn, where the sheet's refresh then looks for the result. The work ends at once or when released.
class ScriptedOperations final : public DetailsOperations {
public:
    QCoro::Task<> refreshReadiness() override { co_return; }
    QCoro::Task<> performInitialInspection() override { co_return; }
    QCoro::Task<> inspect() override { co_return; }
    QCoro::Task<> checkThisMac() override { co_return; }
    QCoro::Task<> chooseInstanceFolder(const std::filesystem::path&) override { co_return; }
    QCoro::Task<> backUpSettings() override { co_return; }
    QCoro::Task<> writeDiagnostic() override
    {
        QTimer::singleShot(0, status, [this] {
            if (!newStatus.isEmpty())
                status->setText(newStatus);
            watch->settle();
        });
        while (held) {
            QTimer tick;
            tick.setSingleShot(true);
            tick.start(0);
            co_await tick;
        }
    }
    QCoro::Task<> backUpWorlds() override { co_return; }
    QCoro::Task<> restoreSettings() override { co_return; }
    QCoro::Task<> restoreWorlds() override { co_return; }
    QCoro::Task<> checkForUpdates() override { co_return; }
    void reportNotOpened(const QUrl&) override {}

    QLabel* status = nullptr;
    DetailsResultWatch* watch = nullptr;
    QString newStatus;
    bool held = false; // until the test lets the work end
};

TEST(DetailsResultWatch, AnnouncesTheResultOnceWhetherTheWorkEndsAtOnceLaterOrAfterOtherWork)
{
    const QString before = QStringLiteral("Diagnostic written. Preview is redacted.");
    struct Case {
        const char* name;
        QString newStatus; // empty: the same report written again
        bool held;         // the work ends only when released
        bool otherWork;    // work the sheet did not start runs until released
    };
    const Case cases[] = {
        {"the same report, ended before the call returns", {}, false, false},
        {"a new status, ended before the call returns", QStringLiteral("Diagnostic written."), false, false},
        {"the same report, ended later", {}, true, false},
        {"a new status shown while the work runs", QStringLiteral("Diagnostic written."), true, false},
        {"the same report, ended while other work runs", {}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QScrollArea scroll;
        auto* status = new QLabel(before);
        scroll.setWidget(status);
        auto operations = std::make_shared<ScriptedOperations>();
        bool otherWork = c.otherWork;
        DetailsResultWatch watch(operations, [&] { return otherWork; }, nullptr);
        auto announcer = std::make_shared<test::RecordingAnnouncer>();
        watch.watch(&scroll, {status}, announcer);
        operations->status = status;
        operations->watch = &watch;
        operations->newStatus = c.newStatus;
        operations->held = c.held;
        const QString result = c.newStatus.isEmpty() ? before : c.newStatus;

        watch.operations()->writeDiagnostic();
        const auto settled = [] {
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents();
        };
        settled();
        const bool shownBeforeTheEnd = !c.newStatus.isEmpty();
        EXPECT_EQ(announcer->announced.size(), (c.held || c.otherWork) && !shownBeforeTheEnd ? 0 : 1);
        if (c.held)
            operations->held = false;
        if (c.otherWork) {
            otherWork = false;
            watch.settle(); // the model's report that its work ended
        }
        ASSERT_TRUE(test::runEventsUntil([&] { return !announcer->announced.isEmpty(); }, 5000));
        settled();
        EXPECT_EQ(announcer->announced, QStringList{result});
    }
}

} // namespace
} // namespace orvane
