#include "app/MainWindow.h"
#include "app/OrvaneApp.h"
#include "app/SingleInstance.h"
#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>

#include <functional>

namespace orvane {
namespace {

TEST(OrvaneApp, ShowsItsOneWindowAt1020By800AndNeverSmallerThan640By600)
{
    auto session = std::make_shared<test::FakeSession>();
    OrvaneApp app(session, test::testSeams());
    // Building the application does nothing but build the model: no session call, no check. (Showing
    // the window then starts the first inspection.)
    EXPECT_TRUE(session->calls().empty());
    EXPECT_EQ(app.model().state(), AppModelState{});
    app.show();

    MainWindow& window = app.window();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Orvane"));
    EXPECT_EQ(window.size(), QSize(1020, 800));
    EXPECT_EQ(window.minimumSize(), QSize(640, 600));
    EXPECT_NE(window.centralWidget(), nullptr);

    window.resize(300, 200);
    EXPECT_EQ(window.size(), QSize(640, 600));
    // The first inspection runs on; the model must outlive it.
    EXPECT_TRUE(test::runEventsUntil([&] { return !app.model().sessionCallsPending(); }));
}

TEST(OrvaneApp, KeepsTheDisplaySnapshotOfThePrimaryScreen)
{
    AppSeams seams = test::testSeams();
    const auto display = seams.display;
    OrvaneApp app(std::make_shared<test::FakeSession>(), seams);

    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(display->current(), DisplaySnapshot::measure(*screen));
    EXPECT_GT(display->current().width, 0);
}

TEST(OrvaneApp, ALaterStartBringsTheWindowToTheFrontWhateverStateItWasIn)
{
    struct Case {
        const char* name;
        std::function<void(MainWindow& window, QWidget& other)> before;
    };
    const Case cases[] = {
        {"shown and active", [](MainWindow&, QWidget&) {}},
        {"minimised", [](MainWindow& window, QWidget&) { window.showMinimized(); }},
        {"behind another window",
         [](MainWindow&, QWidget& other) {
             other.show();
             other.raise();
             other.activateWindow();
         }},
        {"hidden", [](MainWindow& window, QWidget&) { window.hide(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrvaneApp app(std::make_shared<test::FakeSession>(), test::testSeams());
        SingleInstance instance(std::filesystem::temp_directory_path());
        app.followLaterStarts(instance);
        app.show();
        MainWindow& window = app.window();
        QWidget other;
        c.before(window, other);

        Q_EMIT instance.activationRequested();

        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(window.isMinimized());
        EXPECT_TRUE(test::runEventsUntil([&] { return QApplication::activeWindow() == &window; }));
        EXPECT_TRUE(test::runEventsUntil([&] { return !app.model().sessionCallsPending(); }));
    }
}

} // namespace
} // namespace orvane
