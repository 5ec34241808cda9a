#include "ui/theme/AccessibilityPrefs.h"
#include "ui/theme/AmbientBackground.h"
#include "ui/theme/OrvaneButtonStyles.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/TextButton.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

using namespace orvane;

namespace {

QColor white(qreal opacity) { return OrvaneTheme::white(opacity); }

bool near(QRgb pixel, const QColor& expected, int tolerance = 3)
{
    return std::abs(qRed(pixel) - expected.red()) <= tolerance && std::abs(qGreen(pixel) - expected.green()) <= tolerance
        && std::abs(qBlue(pixel) - expected.blue()) <= tolerance;
}

} // namespace

TEST(OrvaneTheme, PaletteValuesAreTheDesignedOnes)
{
    EXPECT_EQ(OrvaneTheme::background(), QColor::fromRgbF(0.022f, 0.024f, 0.026f));
    EXPECT_EQ(OrvaneTheme::lime(), QColor::fromRgbF(0.7f, 1.0f, 0.0f));
    EXPECT_EQ(OrvaneTheme::warning(), OrvaneTheme::amber());
    EXPECT_EQ(OrvaneTheme::textSecondary(), white(0.56));
    EXPECT_EQ(OrvaneTheme::panelFill(), QColor::fromRgbF(0, 0, 0, 0.12f));
    EXPECT_EQ(&OrvaneTheme::labelFont(), &OrvaneTheme::captionFont()) << "one shared font, not a copy";
    EXPECT_TRUE(QFontInfo(OrvaneTheme::bodyFont()).fixedPitch());
    EXPECT_EQ(QFontInfo(OrvaneTheme::bodyFont()).family(), QStringLiteral("DejaVu Sans Mono"));
}

TEST(OrvaneButtonStyles, FollowContrastTransparencyAndMotion)
{
    struct Case {
        const char* name;
        QList<QColor> fills;
        QList<QColor> expectedFills;
        QColor border;
        QColor expectedBorder;
        qreal width;
        qreal expectedWidth;
    };
    const OrvaneUtilityButtonStyle utility{false, false};
    const OrvaneUtilityButtonStyle utilityStrong{true, true};
    const OrvaneBrutalistPrimaryButtonStyle brutalist{false, false, false};
    const OrvaneBrutalistPrimaryButtonStyle brutalistStrong{true, true, true};
    const OrvaneFlatButtonStyle flat{false, false};
    const OrvaneFlatButtonStyle prominent{false, true};
    const OrvaneGlassFallbackButtonStyle glass{false, false};
    const OrvaneGlassFallbackButtonStyle glassOpaque{true, true};
    const Case cases[] = {
        {"utility", {utility.fill(false), utility.fill(true)}, {white(0.055), white(0.12)}, utility.borderColor(), white(0.2), utility.borderWidth(), 1},
        {"utility, contrast, opaque", {utilityStrong.fill(false), utilityStrong.fill(true)}, {OrvaneTheme::surface(), OrvaneTheme::surface()}, utilityStrong.borderColor(), white(0.65), utilityStrong.borderWidth(), 2},
        {"brutalist", brutalist.fills(true), {OrvaneMaterial::regular(), white(0.1)}, brutalist.borderColor(), white(0.52), brutalist.borderWidth(), 1},
        {"brutalist, contrast, opaque", brutalistStrong.fills(false), {OrvaneTheme::surface()}, brutalistStrong.borderColor(), white(0.9), brutalistStrong.borderWidth(), 2},
        {"flat", {flat.fill(false), flat.fill(true)}, {white(0.035), white(0.09)}, flat.borderColor(), OrvaneTheme::hairline(), 1, 1},
        {"flat prominent", {prominent.fill(false), prominent.fill(true)}, {white(0.94), white(0.78)}, prominent.borderColor(), QColor(Qt::white), 1, 1},
        {"glass", glass.fills(false), {OrvaneMaterial::regular(), white(0.045)}, glass.borderColor(), OrvaneTheme::hairlineStrong(), 1, 1},
        {"glass opaque", {glassOpaque.fills(false).value(0), glassOpaque.fills(true).value(0)}, {white(0.11), white(0.18)}, glassOpaque.borderColor(), OrvaneTheme::hairlineStrong(), 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.fills, c.expectedFills);
        EXPECT_EQ(c.border, c.expectedBorder);
        EXPECT_EQ(c.width, c.expectedWidth);
    }
    EXPECT_EQ(prominent.labelColor(), QColor(Qt::black));
    EXPECT_EQ(flat.labelColor(), OrvaneTheme::textPrimary());

    // Reduce motion: no press scaling anywhere and no animation.
    EXPECT_EQ(brutalist.scale(true), 0.992);
    EXPECT_EQ(brutalist.scale(false), 1);
    EXPECT_EQ(brutalistStrong.scale(true), 1);
    EXPECT_EQ(flat.scale(true), 0.992);
    EXPECT_EQ(flat.animationMilliseconds(), 120);
    EXPECT_EQ((OrvaneFlatButtonStyle{true, false}.scale(true)), 1);
    EXPECT_EQ((OrvaneFlatButtonStyle{true, false}.animationMilliseconds()), 0);
    EXPECT_EQ(glassOpaque.scale(true), 1);
    EXPECT_EQ(glassOpaque.animationMilliseconds(), 0);
}

TEST(AmbientBackground, GlowsInTheMiddleUnlessTransparencyIsReduced)
{
    for (const bool reduce : {false, true}) {
        SCOPED_TRACE(reduce ? "reduced" : "normal");
        QImage image(1020, 800, QImage::Format_RGB32);
        QPainter painter(&image);
        AmbientBackground::paint(painter, image.rect(), reduce);
        painter.end();
        EXPECT_TRUE(near(image.pixel(2, 2), OrvaneTheme::background(), 1)) << "a corner is outside the glow";
        const QRgb centre = image.pixel(510, 416);
        if (reduce)
            EXPECT_TRUE(near(centre, OrvaneTheme::background(), 0));
        else
            EXPECT_GT(qRed(centre), OrvaneTheme::background().red() + 5);
    }
}

TEST(EnvironmentAccessibilityPrefs, ReadsOneVariablePerSetting)
{
    struct Case {
        QList<std::pair<QString, QString>> variables;
        AccessibilitySettings expected;
    };
    const Case cases[] = {
        {{}, {false, false, false}},
        {{{"ORVANE_INCREASE_CONTRAST", "1"}}, {true, false, false}},
        {{{"ORVANE_REDUCE_TRANSPARENCY", "true"}, {"ORVANE_REDUCE_MOTION", "On"}}, {false, true, true}},
        {{{"ORVANE_INCREASE_CONTRAST", "0"}, {"ORVANE_REDUCE_MOTION", "no"}}, {false, false, false}},
        {{{"ORVANE_REDUCE_MOTION", " yes "}}, {false, false, true}},
    };
    for (const Case& c : cases) {
        QProcessEnvironment environment;
        for (const auto& [name, value] : c.variables)
            environment.insert(name, value);
        EXPECT_EQ(EnvironmentAccessibilityPrefs(environment).settings(), c.expected);
    }
}

TEST(OrvaneKeyboardFocus, DrawsALimeRingFourPixelsOutsideOnlyWhileFocused)
{
    QWidget window;
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::black);
    window.setPalette(palette);
    window.resize(200, 120);
    auto* container = new QWidget(&window); // the ring must not be clipped by the control's parent
    container->setGeometry(40, 30, 120, 60);
    auto* first = new TextButton(QStringLiteral("FIRST"), OrvaneTheme::labelFont(), 1.5, container);
    first->setGeometry(0, 0, 60, 20);
    auto* second = new TextButton(QStringLiteral("SECOND"), OrvaneTheme::labelFont(), 1.5, container);
    second->setGeometry(0, 36, 60, 20);
    OrvaneKeyboardFocus* ring = OrvaneKeyboardFocus::attach(first, 3);
    OrvaneKeyboardFocus::attach(second, 3);
    EXPECT_EQ(first->focusPolicy(), Qt::TabFocus);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QRect before = first->geometry();
    first->clearFocus(); // the window's own first focus shows no ring
    first->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(ring->ringRect(), QRectF(36, 26, 68, 28));
    QImage image = window.grab().toImage();
    // The ring's 2-pixel line is centred 4 pixels outside the control: x = 36 on the left edge.
    EXPECT_TRUE(near(image.pixel(36, 40), OrvaneTheme::lime(), 40)) << std::hex << image.pixel(36, 40);
    EXPECT_TRUE(near(image.pixel(70, 26), OrvaneTheme::lime(), 40));
    EXPECT_TRUE(near(image.pixel(45, 40), Qt::black, 0)) << "nothing is drawn inside the ring";
    EXPECT_EQ(first->geometry(), before) << "focus does not move the control";

    // Focus moves on: the first ring goes, the second appears; nothing stays drawn.
    QTest::keyClick(&window, Qt::Key_Tab);
    EXPECT_TRUE(second->hasFocus());
    image = window.grab().toImage();
    EXPECT_TRUE(near(image.pixel(36, 40), Qt::black, 0));
    EXPECT_TRUE(near(image.pixel(36, 76), OrvaneTheme::lime(), 40));

    // The ring takes no clicks and is no accessible element.
    EXPECT_TRUE(ring->testAttribute(Qt::WA_TransparentForMouseEvents));
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&window);
    for (int i = 0; i < root->childCount(); ++i)
        EXPECT_FALSE(qobject_cast<OrvaneKeyboardFocus*>(root->child(i)->object()));
}
