#include "app/MainWindow.h"
#include "app/WindowFit.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include <cmath>

namespace orvane {
namespace {

// What an openbox-like window manager draws around the content: borders and a title bar.
constexpr QMargins kFrame(4, 26, 4, 4);

// A screen of `width` × `height` device pixels at `scale`, as Qt reports it: in device-independent
// pixels, rounded.
QRect screenArea(int width, int height, double scale, int top = 0)
{
    return QRect(0, 0, int(std::lround(width / scale)), int(std::lround(height / scale))).adjusted(0, top, 0, 0);
}

TEST(WindowFit, TheFirstWindowTakesTheDefaultSizeWhereItFitsElseTheLargestInsideTheScreenNeverBelowTheMinimum)
{
    struct Case {
        const char* name;
        QRect available;
        QMargins frame;
        QRect expected;
    };
    const Case cases[] = {
        {"1920 × 1200: the default, centred", screenArea(1920, 1200, 1), kFrame, {450, 211, 1020, 800}},
        {"1366 × 768 without a frame yet", screenArea(1366, 768, 1), {}, {173, 0, 1020, 768}},
        {"1366 × 768 with its frame", screenArea(1366, 768, 1), kFrame, {173, 26, 1020, 738}},
        {"1280 × 720", screenArea(1280, 720, 1), kFrame, {130, 26, 1020, 690}},
        {"1920 × 1080 at 150 %", screenArea(1920, 1080, 1.5), kFrame, {130, 26, 1020, 690}},
        {"2560 × 1440 at 200 %", screenArea(2560, 1440, 2), kFrame, {130, 26, 1020, 690}},
        {"a panel at the top", screenArea(1366, 768, 1, 32), kFrame, {173, 58, 1020, 706}},
        {"1366 × 768 at 150 %: narrower, and the minimum height with the title bar on screen",
         screenArea(1366, 768, 1.5), kFrame, {4, 26, 903, 600}},
        {"1366 × 768 at 200 %: the minimum width wins over the screen", screenArea(1366, 768, 2), kFrame,
         {4, 26, 675, 600}},
        {"smaller than the minimum both ways", QRect(0, 0, 600, 500), kFrame, {4, 26, 640, 600}},
        {"a second screen to the right", QRect(1920, 0, 1280, 720), kFrame, {2050, 26, 1020, 690}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QRect geometry =
            WindowFit::firstGeometry(MainWindow::defaultSize, MainWindow::minimumContentSize, c.available, c.frame);
        EXPECT_EQ(geometry, c.expected);
        const QRect outer = geometry.marginsAdded(c.frame);
        // The title bar is always on screen; the whole frame is wherever the minimum allows.
        EXPECT_TRUE(c.available.contains(outer.topLeft()));
        if (c.available.width() >= 640 + 8 && c.available.height() >= 600 + 30) {
            EXPECT_TRUE(c.available.contains(outer));
        }
    }
}

TEST(WindowFit, AWindowWhoseFrameBecomesKnownIsShrunkToTheScreenAndNeverGrown)
{
    struct Case {
        const char* name;
        QSize size;
        QSize expected;
    };
    const QRect available = screenArea(1366, 768, 1);
    const Case cases[] = {
        {"fits with its frame: left alone", {1020, 738}, {1020, 738}},
        {"opened without knowing the frame: the frame's height taken off", {1020, 768}, {1020, 738}},
        {"wider than the screen too", {1400, 800}, {1358, 738}},
        {"smaller than the screen: never grown", {800, 640}, {800, 640}},
        {"never below the minimum", {640, 600}, {640, 600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WindowFit::fittedSize(c.size, MainWindow::minimumContentSize, available, kFrame), c.expected);
    }
}

// The shipped executable on a screen of its own, as the platform reports it before the first window:
// the first geometry it logs, or an empty rectangle.
QRect firstWindowOf(const QString& screenFile, const QByteArray& scale)
{
    const test::TempDir home;
    QProcess orvane;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                       QStringLiteral("offscreen:configfile=%1/screens/%2").arg(QStringLiteral(ORVANE_TEST_FIXTURES), screenFile));
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("orvane.window.info=true"));
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"})
        environment.insert(QString::fromLatin1(name), QString::fromStdString(home.path().string()));
    orvane.setProcessEnvironment(environment);
    orvane.setProcessChannelMode(QProcess::MergedChannels);
    orvane.start(QStringLiteral(ORVANE_APP_EXECUTABLE), QStringList());
    static const QRegularExpression line(QStringLiteral(R"(first geometry QRect\((-?\d+),(-?\d+) (\d+)x(\d+)\))"));
    QByteArray output;
    QRect geometry;
    while (geometry.isNull() && orvane.waitForReadyRead(30'000)) {
        output += orvane.readAll();
        const auto match = line.match(QString::fromUtf8(output));
        if (match.hasMatch())
            geometry = QRect(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(),
                             match.captured(4).toInt());
    }
    orvane.kill();
    orvane.waitForFinished(30'000);
    if (geometry.isNull())
        ADD_FAILURE() << output.toStdString();
    return geometry;
}

TEST(WindowFit, TheShippedWindowOpensInsideCommonScreensAtEveryScale)
{
    // The offscreen platform frames a window with 2 device pixels on every side (1 once scaled).
    struct Case {
        const char* screen;
        const char* scale;
        QRect expected;
    };
    const Case cases[] = {
        {"screen-1920x1200.json", "1", {450, 200, 1020, 800}},
        {"screen-1366x768.json", "1", {173, 2, 1020, 764}},
        {"screen-1280x720.json", "1", {130, 2, 1020, 716}},
        {"screen-1920x1080.json", "1.5", {130, 1, 1020, 718}},
        {"screen-2560x1440.json", "2", {130, 1, 1020, 718}},
        {"screen-1366x768.json", "1.5", {1, 1, 909, 600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.screen) + " at " + c.scale);
        EXPECT_EQ(firstWindowOf(QString::fromLatin1(c.screen), c.scale), c.expected);
    }
}

} // namespace
} // namespace orvane
