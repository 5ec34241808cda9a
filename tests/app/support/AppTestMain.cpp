// The test main of the model and window suites: a QApplication on the offscreen platform with one
// 1920 × 1200 desktop screen, with the Fusion style, the en_US locale, UTC and DejaVu Sans Mono, so
// that texts, pixels and window sizes do not depend on the machine running the tests.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLocale>
#include <QStyleFactory>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" ORVANE_TEST_FIXTURES "/screens/screen-1920x1200.json");
    qputenv("TZ", "UTC");
    tzset();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"));
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
