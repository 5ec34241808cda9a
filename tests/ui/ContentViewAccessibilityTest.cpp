#include "WindowHarness.h"

#include "app/support/TestSeams.h"
#include "support/QtPrinters.h"
#include "ui/theme/FittedLabel.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/OrvaneWordmark.h"
#include "ui/theme/TextButton.h"
#include "ui/theme/UtilityButton.h"
#include "ui/window/LaunchWatchCard.h"
#include "ui/window/PackButton.h"
#include "ui/window/PackMenu.h"
#include "ui/window/PrimaryButton.h"
#include "ui/window/ReadinessBadge.h"
#include "ui/window/ReadinessChips.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <map>

namespace orvane {
namespace {

using test::WindowHarness;
namespace states = test::states;

TEST(ContentView, AccessibilitySweepFindsNamedControlsTheirHintsAndNoDecorations)
{
    WindowHarness window;
    window.setState(states::ready());
    ContentView& view = window.view();
    const std::vector<QAccessibleInterface*> elements =
        test::visibleAccessibleElements(QAccessible::queryAccessibleInterface(&view));

    std::map<QObject*, QAccessibleInterface*> byObject;
    for (QAccessibleInterface* element : elements) {
        byObject[element->object()] = element;
        if (element->state().focusable) {
            EXPECT_FALSE(element->text(QAccessible::Name).isEmpty()) << element->object()->metaObject()->className();
        }
        EXPECT_FALSE(qobject_cast<OrvaneKeyboardFocus*>(element->object())) << "focus rings are decoration";
    }
    struct Expected {
        QWidget* widget;
        QAccessible::Role role;
        QString name;
        QString hint;
    };
    const std::vector<Expected> expected{
        {view.wordmark(), QAccessible::Heading, "orvane", ""},
        {view.badge(), QAccessible::StaticText, "Readiness: ready", ""},
        {view.detailsButton(), QAccessible::Button, "Details", "Shows setup, diagnostics, and recovery tools"},
        {view.promptLine(), QAccessible::StaticText, "Select a modpack", ""},
        {view.packButton(), QAccessible::Button, "Selected pack, Tekkit 2 1.2.6", "Choose an available modpack"},
        {view.primaryButton(), QAccessible::Button, "Open Technic", "Open official Technic, then press Play there."},
        {view.subtitle(), QAccessible::StaticText,
         "ORVANE OPENS TECHNIC · YOU PRESS PLAY THERE · ORVANE NEVER LAUNCHES MINECRAFT", ""},
        {view.restoreButton(), QAccessible::Button, "Restore pre-Apply backup",
         "Requires confirmation and never changes world saves"},
        {view.chips(), QAccessible::StaticText, "Balanced ready, Java 8 ready, Rosetta ready", ""},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name.toStdString());
        ASSERT_TRUE(byObject.count(e.widget));
        QAccessibleInterface* element = byObject[e.widget];
        EXPECT_EQ(element->role(), e.role);
        EXPECT_EQ(element->text(QAccessible::Name), e.name);
        EXPECT_EQ(element->text(QAccessible::Description), e.hint);
        EXPECT_EQ(element->childCount(), 0) << "one element, its parts not exposed";
    }
    // Nothing else is in the tree: the background, the pickaxe, the badge's square and the spinner
    // are painted, not elements (the announcement region is an invisible notification element).
    EXPECT_EQ(elements.size(), expected.size());

    // While watching, CANCEL carries its hint.
    window.setState(states::watching());
    QAccessibleInterface* cancel = QAccessible::queryAccessibleInterface(view.watchCard()->cancelButton());
    EXPECT_EQ(cancel->text(QAccessible::Name), QStringLiteral("CANCEL"));
    EXPECT_EQ(cancel->text(QAccessible::Description),
              QStringLiteral("Stops Orvane’s launch observation. It does not quit Technic or Minecraft."));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(view.subtitle())->text(QAccessible::Name),
              QStringLiteral("Technic is open. Select Tekkit 2 and press Play there."));
}

TEST(ContentView, IncreasedContrastAndReducedTransparencyReachTheControls)
{
    WindowHarness window({1020, 800}, {true, true, true});
    window.setState(states::ready());
    ContentView& view = window.view();
    EXPECT_EQ(view.packButton()->borderWidth(), 2);
    EXPECT_EQ(view.packButton()->borderColor(), QColor(Qt::white));
    EXPECT_EQ(view.primaryButton()->buttonStyle().borderWidth(), 2);
    EXPECT_EQ(view.primaryButton()->buttonStyle().scale(true), 1);
    EXPECT_EQ(view.detailsButton()->buttonStyle().borderColor(), OrvaneTheme::white(0.65));
    EXPECT_EQ(view.subtitle()->color(), QColor(Qt::white));
    window.setState(states::watching());
    EXPECT_EQ(view.watchCard()->fill(), OrvaneTheme::surface());
    EXPECT_EQ(view.watchCard()->borderWidth(), 2);
    const QImage image = window.saveScreenshot(QStringLiteral("main-watching-contrast-1020x800"));
    // No glow: the middle of the window is the plain background where nothing else is drawn.
    EXPECT_TRUE(test::sameColour(image.pixel(900, 300), OrvaneTheme::background(), 1));
}

} // namespace
} // namespace orvane
