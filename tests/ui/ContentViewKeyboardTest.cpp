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

TEST(ContentView, MovesFocusToThePrimaryButtonOnlyWhenIdleAndAScreenReaderRuns)
{
    WindowHarness window;
    window.activate();
    window.view().restoreButton()->setFocus();
    AppModelState s = states::ready();
    s.status = QStringLiteral("A.");
    window.setState(s);
    EXPECT_FALSE(window.view().primaryButton()->hasFocus()) << "no screen reader";

    window.announcer().running = true;
    s.busy = true;
    window.setState(s);
    EXPECT_FALSE(window.view().primaryButton()->hasFocus()) << "an operation is running";
    s.busy = false;
    s.status = QStringLiteral("B.");
    window.setState(s);
    EXPECT_TRUE(window.view().primaryButton()->hasFocus());
}

TEST(ContentView, ReturnActivatesOnlyAVisibleEnabledPrimaryAction)
{
    struct Case {
        const char* name;
        AppModelState state;
        QStringList expected;
    };
    AppModelState preparing = states::ready();
    preparing.busy = true;
    preparing.primaryActionInFlight = true;
    const std::vector<Case> cases{
        {"ready", states::ready(), {"performPrimaryAction"}},
        {"preparing: disabled", preparing, {}},
        {"watching: the button is gone", states::watching(), {}},
        {"setup pending: opens the sheet instead", states::setupPending(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowHarness window;
        bool sheet = false;
        window.view().setDetailsSheetFactory([&sheet](QWidget* parent) {
            sheet = true;
            return new QDialog(parent);
        });
        window.setState(c.state);
        window.activate();
        // No button has the focus: Return on a focused button is that button's (KeyboardPathsTest).
        if (QWidget* focused = QApplication::focusWidget())
            focused->clearFocus();
        window.operations().calls.clear();
        QTest::keyClick(window.view().windowHandle(), Qt::Key_Return);
        EXPECT_EQ(window.operations().calls, c.expected);
        EXPECT_EQ(sheet, c.state.handoffReadiness->setupKind == HandoffSetupKind::installRosetta);
    }
}

TEST(ContentView, TabVisitsDetailsPackPrimaryAndRestoreInOrder)
{
    WindowHarness window;
    window.setState(states::ready());
    window.activate();
    ContentView& view = window.view();
    view.detailsButton()->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> visited{QApplication::focusWidget()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    const std::vector<QWidget*> expected{view.detailsButton(), view.packButton(), view.primaryButton(),
                                         view.restoreButton(), view.detailsButton()};
    EXPECT_EQ(visited, expected);

    // While watching, CANCEL takes the primary button's place.
    window.setState(states::watching());
    view.detailsButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // the pack button is disabled
    EXPECT_EQ(QApplication::focusWidget(), view.watchCard()->cancelButton());
}

TEST(ContentView, PackPickerAndFolderChooserWorkByKeyboard)
{
    WindowHarness window;
    window.setState(states::ready());
    window.activate();
    ContentView& view = window.view();
    view.packButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(view.packButton(), Qt::Key_Space);
    ASSERT_TRUE(view.showingPackMenu());
    PackMenu* menu = view.packMenu();
    ASSERT_EQ(menu->rows().size(), 1);
    EXPECT_EQ(menu->rows()[0]->name(), QStringLiteral("Tekkit 2"));
    EXPECT_EQ(menu->rows()[0]->version(), QStringLiteral("1.2.6"));
    ASSERT_TRUE(menu->chooseInstanceButton());
    EXPECT_TRUE(menu->rows()[0]->hasFocus()) << "the first row takes the focus";
    EXPECT_EQ(menu->width(), 280);
    EXPECT_GE(menu->geometry().top(), view.packButton()->mapToGlobal(QPoint(0, view.packButton()->height())).y())
        << "the menu opens under the pack button";
    menu->grab().save(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots/pack-menu.png"));

    window.operations().calls.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view.showingPackMenu()) << "the menu closes before the selection starts";
    EXPECT_EQ(window.operations().calls, QStringList{QStringLiteral("selectPack")});
    EXPECT_EQ(window.operations().selectedPack, PackID::tekkit2);

    // Choose instance…, cancelled: nothing happens; then confirmed: the folder goes to the model.
    for (const bool confirm : {false, true}) {
        SCOPED_TRACE(confirm ? "confirmed" : "cancelled");
        window.chooser().answer =
            confirm ? std::optional<std::filesystem::path>("/home/player/Tekkit 2") : std::nullopt;
        window.operations().calls.clear();
        view.packButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(view.packButton(), Qt::Key_Space);
        ASSERT_TRUE(view.showingPackMenu());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        EXPECT_EQ(QApplication::focusWidget(), view.packMenu()->chooseInstanceButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_FALSE(view.showingPackMenu());
        EXPECT_EQ(window.chooser().message,
                  QStringLiteral("Select a Tekkit 2 1.2.6 instance — the folder that contains bin/ and options.txt."));
        EXPECT_EQ(window.chooser().acceptLabel, QStringLiteral("Use folder"));
        if (confirm) {
            EXPECT_EQ(window.operations().calls, QStringList{QStringLiteral("chooseInstanceFolder")});
            EXPECT_EQ(window.operations().chosenFolder, std::filesystem::path("/home/player/Tekkit 2"));
        } else {
            EXPECT_TRUE(window.operations().calls.isEmpty());
        }
    }
    EXPECT_EQ(window.chooser().shown, 2);

    // Escape closes the menu; busy disables its rows but never "Choose instance…".
    QTest::keyClick(view.packButton(), Qt::Key_Space);
    ASSERT_TRUE(view.showingPackMenu());
    AppModelState busyWithMenu = states::ready();
    busyWithMenu.status = QStringLiteral("Inspecting.");
    busyWithMenu.busy = true;
    window.setState(busyWithMenu);
    EXPECT_FALSE(view.packMenu()->rows()[0]->isEnabled());
    EXPECT_TRUE(view.packMenu()->chooseInstanceButton()->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(view.showingPackMenu());
}

} // namespace
} // namespace orvane
