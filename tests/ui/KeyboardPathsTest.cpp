// The window driven by keys alone, as the desktop delivers them: to the window, which hands each key
// to its focused control.

#include "KeyboardChecks.h"
#include "WindowHarness.h"

#include "app/MainWindow.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/TextButton.h"
#include "ui/theme/UtilityButton.h"
#include "ui/window/LaunchWatchCard.h"
#include "ui/window/PackButton.h"
#include "ui/window/PackMenu.h"
#include "ui/window/PrimaryButton.h"
#include "ui/window/ReadinessBadge.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>

namespace orvane {
namespace {

using test::WindowHarness;
namespace states = test::states;
using test::limePixels;
using test::press;
using test::ringDrawnAround;
using test::ringShown;

// The details sheet opens as a plain dialog, each opening counted in `sheets`.
void countSheets(ContentView& view, int& sheets)
{
    view.setDetailsSheetFactory([&sheets](QWidget* parent) {
        ++sheets;
        return new QDialog(parent);
    });
}

void clearFocus()
{
    if (QWidget* focused = QApplication::focusWidget())
        focused->clearFocus();
}

// ---- the main window ----

TEST(KeyboardPaths, ReturnActivatesTheFocusedButtonOnlyAndOtherwiseThePrimaryAction)
{
    enum class Focus { details, pack, primary, cancel, restore, none };
    struct Case {
        const char* name;
        AppModelState state;
        Focus focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QStringList calls;
        bool sheet, menu, confirmation;
    };
    const QStringList primary{QStringLiteral("performPrimaryAction")};
    const Case cases[] = {
        {"Details", states::ready(), Focus::details, Qt::Key_Return, {}, {}, true, false, false},
        {"the pack button", states::ready(), Focus::pack, Qt::Key_Return, {}, {}, false, true, false},
        {"the primary button", states::ready(), Focus::primary, Qt::Key_Return, {}, primary, false, false, false},
        {"the primary button by Enter", states::ready(), Focus::primary, Qt::Key_Enter, Qt::KeypadModifier, primary,
         false, false, false},
        {"CANCEL", states::watching(), Focus::cancel, Qt::Key_Return, {}, {QStringLiteral("cancelLaunchObservation")},
         false, false, false},
        {"RESTORE only asks", states::ready(), Focus::restore, Qt::Key_Return, {}, {}, false, false, true},
        {"no button", states::ready(), Focus::none, Qt::Key_Return, {}, primary, false, false, false},
        {"no button, Enter", states::ready(), Focus::none, Qt::Key_Enter, Qt::KeypadModifier, primary, false, false,
         false},
        {"no button, a setup step pending", states::setupPending(), Focus::none, Qt::Key_Return, {}, {}, true, false,
         false},
        {"no button while watching", states::watching(), Focus::none, Qt::Key_Return, {}, {}, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowHarness window;
        ContentView& view = window.view();
        int sheets = 0;
        countSheets(view, sheets);
        window.setState(c.state);
        window.activate();
        clearFocus();
        const std::map<Focus, QWidget*> targets{{Focus::details, view.detailsButton()},
                                                {Focus::pack, view.packButton()},
                                                {Focus::primary, view.primaryButton()},
                                                {Focus::cancel, view.watchCard()->cancelButton()},
                                                {Focus::restore, view.restoreButton()}};
        if (c.focus != Focus::none) {
            targets.at(c.focus)->setFocus(Qt::TabFocusReason);
            ASSERT_TRUE(targets.at(c.focus)->hasFocus());
        }
        window.operations().calls.clear();
        press(&view, c.key, c.modifiers);
        QCoreApplication::processEvents();
        EXPECT_EQ(window.operations().calls, c.calls);
        EXPECT_EQ(sheets, c.sheet ? 1 : 0);
        EXPECT_EQ(view.showingPackMenu(), c.menu);
        EXPECT_EQ(view.confirmingRestore(), c.confirmation);
        if (PackMenu* menu = view.packMenu()) {
            EXPECT_TRUE(ringShown(menu->rows()[0])) << "opened from the keyboard, the first row shows its ring";
            menu->close();
        }
    }

    // Opened by a click, the menu's first row has the focus but shows no ring.
    WindowHarness window;
    window.setState(states::ready());
    window.activate();
    clearFocus();
    window.view().packButton()->click();
    ASSERT_TRUE(window.view().showingPackMenu());
    EXPECT_TRUE(window.view().packMenu()->rows()[0]->hasFocus());
    EXPECT_FALSE(ringShown(window.view().packMenu()->rows()[0]));
    window.view().packMenu()->close();
}

// In the application the view is the main window's content, so a key no control took reaches the
// main window rather than the view.
TEST(KeyboardPaths, InTheMainWindowReturnIsStillTheFocusedButtonsOrElseThePrimaryAction)
{
    AppModel model(std::make_shared<test::FakeSession>(), test::testSeams("/nonexistent-home", true));
    auto operations = std::make_shared<test::RecordingOperations>();
    MainWindow window;
    auto* view = new ContentView(model, ContentView::Seams{operations, std::make_shared<FixedAccessibilityPrefs>(),
                                                           std::make_shared<test::RecordingAnnouncer>(),
                                                           std::make_shared<test::AnsweringFolderChooser>()});
    window.setContent(view);
    model.setStateForTesting(states::ready());
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QCoreApplication::processEvents();

    clearFocus();
    operations->calls.clear();
    press(&window, Qt::Key_Return);
    EXPECT_EQ(operations->calls, QStringList{QStringLiteral("performPrimaryAction")});

    view->restoreButton()->setFocus(Qt::TabFocusReason);
    press(&window, Qt::Key_Return);
    EXPECT_TRUE(view->confirmingRestore());
    EXPECT_EQ(operations->calls.size(), 1);
}

TEST(KeyboardPaths, ThePrimaryButtonKeepsTheFocusWhileItsActionRunsAndCancelTakesItOver)
{
    WindowHarness window;
    ContentView& view = window.view();
    window.setState(states::ready());
    window.activate();
    view.primaryButton()->setFocus(Qt::TabFocusReason);
    press(&view, Qt::Key_Return);
    EXPECT_EQ(window.operations().calls.last(), QStringLiteral("performPrimaryAction"));

    AppModelState preparing = states::ready();
    preparing.busy = true;
    preparing.primaryActionInFlight = true;
    window.setState(preparing);
    ASSERT_FALSE(view.primaryButton()->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), nullptr) << "the focus did not move on to RESTORE or Details";
    window.operations().calls.clear();
    press(&view, Qt::Key_Space);
    EXPECT_TRUE(window.operations().calls.isEmpty());
    EXPECT_FALSE(view.confirmingRestore());

    window.setState(states::ready());
    EXPECT_TRUE(view.primaryButton()->hasFocus());
    EXPECT_TRUE(ringShown(view.primaryButton())) << "the keyboard's focus comes back with its ring";

    // The watch card replaces the busy button: CANCEL gets the held focus.
    press(&view, Qt::Key_Return);
    window.setState(preparing);
    window.setState(states::watching());
    EXPECT_TRUE(view.watchCard()->cancelButton()->hasFocus());
    EXPECT_TRUE(ringShown(view.watchCard()->cancelButton()));
}

TEST(KeyboardPaths, AFocusedControlDisabledNotByItsOwnWorkPassesTheFocusOnSoReturnRunsNoPrimaryAction)
{
    AppModelState gone = states::ready(); // a refresh found the backup gone
    gone.backup.reset();
    AppModelState refreshing = states::ready();
    refreshing.busy = true;
    AppModelState technicRunning = states::ready(); // readiness refreshed on activation: files locked
    technicRunning.handoffReadiness->canApplyBalanced = false;
    struct Case {
        const char* name;
        Qt::FocusReason reason;
        std::vector<AppModelState> steps; // after ready(), each a refresh of the model
        bool ring;
    };
    const Case cases[] = {
        {"the backup goes while nothing runs", Qt::TabFocusReason, {gone}, true},
        {"the files are locked while nothing runs", Qt::TabFocusReason, {technicRunning}, true},
        {"an inspection runs, then the backup is gone", Qt::TabFocusReason, {refreshing, gone}, true},
        {"focused by a click", Qt::MouseFocusReason, {gone}, false},
        {"focused by a click, after an inspection", Qt::MouseFocusReason, {refreshing, gone}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowHarness window;
        ContentView& view = window.view();
        int sheets = 0;
        countSheets(view, sheets);
        window.setState(states::ready());
        window.activate();
        view.restoreButton()->setFocus(c.reason);
        ASSERT_TRUE(view.restoreButton()->hasFocus());
        for (const AppModelState& step : c.steps)
            window.setState(step);
        ASSERT_FALSE(view.restoreButton()->isEnabled());
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr) << "the focus is on a control, not on none";
        EXPECT_NE(focused, view.restoreButton());
        EXPECT_TRUE(focused->isEnabled());
        EXPECT_EQ(ringShown(focused), c.ring);

        window.operations().calls.clear();
        press(&view, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_FALSE(window.operations().calls.contains(QStringLiteral("performPrimaryAction")))
            << window.operations().calls.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(sheets, focused == view.detailsButton() ? 1 : 0) << "Return pressed the control that has the focus";
        if (QDialog* sheet = view.detailsSheet())
            sheet->close();
    }

    // A control busy with its own work keeps the focus held, and gets it back when the work is done.
    WindowHarness window;
    window.setState(states::ready());
    window.activate();
    window.view().restoreButton()->setFocus(Qt::TabFocusReason);
    window.setState(refreshing);
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
    window.setState(states::ready());
    EXPECT_TRUE(window.view().restoreButton()->hasFocus());
    EXPECT_TRUE(ringShown(window.view().restoreButton()));
}

TEST(KeyboardPaths, TheRingShowsForKeyboardFocusOnlyOrWhileAScreenReaderRuns)
{
    struct Case {
        Qt::FocusReason reason;
        bool screenReader;
        bool shown;
    };
    const Case cases[] = {
        {Qt::TabFocusReason, false, true},          {Qt::BacktabFocusReason, false, true},
        {Qt::ShortcutFocusReason, false, true},     {Qt::ActiveWindowFocusReason, false, false},
        {Qt::MouseFocusReason, false, false},       {Qt::OtherFocusReason, false, false},
        {Qt::PopupFocusReason, false, false},       {Qt::ActiveWindowFocusReason, true, true},
        {Qt::MouseFocusReason, true, true},
    };
    QWidget window;
    window.setAutoFillBackground(true);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::black);
    window.setPalette(palette);
    window.resize(200, 100);
    auto* button = new TextButton(QStringLiteral("BUTTON"), OrvaneTheme::labelFont(), 1.5, &window);
    button->setGeometry(40, 40, 80, 20);
    OrvaneKeyboardFocus::attach(button, 3);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    bool screenReader = false;
    OrvaneKeyboardFocus::setScreenReaderProbe([&screenReader] { return screenReader; });
    struct ProbeReset {
        ~ProbeReset() { OrvaneKeyboardFocus::setScreenReaderProbe({}); }
    } const probeReset;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "reason " << c.reason << (c.screenReader ? ", screen reader" : ""));
        screenReader = c.screenReader;
        button->clearFocus();
        button->setFocus(c.reason);
        ASSERT_TRUE(button->hasFocus());
        EXPECT_EQ(ringShown(button), c.shown);
        EXPECT_EQ(ringDrawnAround(window.grab().toImage(), button), c.shown);
    }
    screenReader = false;

    // Leaving the window and coming back, or a popup opened over it and closed, keeps the ring as it was.
    QWidget other;
    other.show();
    for (const bool popup : {false, true}) {
        for (const Qt::FocusReason first : {Qt::TabFocusReason, Qt::OtherFocusReason}) {
            SCOPED_TRACE(testing::Message() << (popup ? "popup, " : "other window, ") << first);
            QApplication::setActiveWindow(&window);
            button->clearFocus();
            button->setFocus(first);
            QWidget menu(nullptr, Qt::Popup);
            if (popup)
                menu.show();
            else
                QApplication::setActiveWindow(&other);
            EXPECT_FALSE(ringShown(button));
            if (popup)
                menu.close();
            else
                QApplication::setActiveWindow(&window);
            ASSERT_TRUE(button->hasFocus());
            EXPECT_EQ(ringShown(button), first == Qt::TabFocusReason);
        }
    }
}

TEST(KeyboardPaths, TheWindowsFirstFocusShowsNoRingUntilTheFirstTab)
{
    WindowHarness window;
    window.setState(states::setupPending()); // an amber badge: lime can only be the ring
    window.activate();
    QWidget* first = QApplication::focusWidget();
    ASSERT_NE(first, nullptr) << "the window gives its first control the focus";
    EXPECT_FALSE(ringShown(first));
    EXPECT_EQ(limePixels(window.saveScreenshot(QStringLiteral("keyboard-window-first-focus"))), 0);

    press(&window.view(), Qt::Key_Tab);
    QWidget* next = QApplication::focusWidget();
    ASSERT_NE(next, first);
    EXPECT_TRUE(ringShown(next));
    EXPECT_TRUE(ringDrawnAround(window.saveScreenshot(QStringLiteral("keyboard-window-after-tab")), next));
}

TEST(KeyboardPaths, TheBadgeGlowIsEvenOnEverySideAndTheSquareKeepsItsPlace)
{
    struct Case {
        const char* name;
        bool reduceTransparency;
        bool glow;
    };
    const Case cases[] = {{"glow", false, true}, {"reduced transparency: no glow", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadinessBadge badge;
        badge.setLook({QStringLiteral("READY"), OrvaneTheme::lime(), false, c.reduceTransparency});
        badge.resize(badge.sizeHint());
        QImage image(badge.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        badge.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const QRect square = badge.squareRect().toRect();
        const QPoint middle = square.center();
        for (const int distance : {1, 3, ReadinessBadge::glowRadius}) {
            SCOPED_TRACE(distance);
            const int left = qAlpha(image.pixel(square.left() - distance, middle.y()));
            const int right = qAlpha(image.pixel(square.right() + distance, middle.y()));
            const int top = qAlpha(image.pixel(middle.x(), square.top() - distance));
            const int bottom = qAlpha(image.pixel(middle.x(), square.bottom() + distance));
            EXPECT_EQ(left, right);
            EXPECT_EQ(left, top);
            EXPECT_EQ(left, bottom);
            EXPECT_EQ(left > 0, c.glow) << left;
        }
        EXPECT_EQ(qAlpha(image.pixel(middle)), 255);
    }

    // In the window, the word, square and underline stand where they did: right-aligned 20 pixels
    // before Details and centred on the header, the glow's room reaching past them.
    WindowHarness window;
    window.setState(states::ready());
    const ReadinessBadge* badge = window.view().badge();
    const UtilityButton* details = window.view().detailsButton();
    const QRect content(badge->mapTo(&window.view(), badge->contentRect().topLeft()), badge->contentRect().size());
    EXPECT_EQ(content.right() + 1, details->x() - ContentView::headerSpacing);
    EXPECT_LE(std::abs(content.center().y() - details->geometry().center().y()), 1);
    EXPECT_EQ(badge->squareRect().top(), badge->contentRect().top());
    EXPECT_EQ(badge->squareRect().right(), badge->contentRect().right() + 1);
}

} // namespace
} // namespace orvane
