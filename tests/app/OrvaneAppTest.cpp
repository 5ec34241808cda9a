#include "app/MainWindow.h"
#include "app/OrvaneApp.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace orvane {
namespace {

TEST(OrvaneApp, ShowsItsOneWindowAt1020By800AndNeverSmallerThan640By600)
{
    OrvaneApp app;
    app.show();

    MainWindow& window = app.window();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Orvane"));
    EXPECT_EQ(window.size(), QSize(1020, 800));
    EXPECT_EQ(window.minimumSize(), QSize(640, 600));

    window.resize(300, 200);
    EXPECT_EQ(window.size(), QSize(640, 600));
}

} // namespace
} // namespace orvane
