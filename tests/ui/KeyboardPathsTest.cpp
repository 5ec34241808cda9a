// The window and the details sheet driven by keys alone, as the desktop delivers them: to the
// window, which hands each key to its focused control.

#include "DetailsFakes.h"
#include "WindowHarness.h"

#include "app/MainWindow.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "support/TempDir.h"
#include "ui/details/DetailRowList.h"
#include "ui/details/DetailsDiagnosticSection.h"
#include "ui/details/DetailsInstallSection.h"
#include "ui/details/DetailsSetupSection.h"
#include "ui/details/DetailsToolsSection.h"
#include "ui/details/DetailsUpdatesSection.h"
#include "ui/details/DetailsView.h"
#include "ui/theme/DisclosureGroup.h"
#include "ui/theme/FlatButton.h"
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

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <functional>

namespace orvane {
namespace {

using test::WindowHarness;
namespace states = test::states;

void press(QWidget* inWindow, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(inWindow->window()->windowHandle(), key, modifiers);
}

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

int limePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test::sameColour(image.pixel(x, y), OrvaneTheme::lime(), 40) ? 1 : 0;
    return count;
}

// The ring's line where it crosses the middle of its left edge, in the window's rendering.
bool ringDrawnAround(const QImage& image, const QWidget* control)
{
    const QRectF ring = OrvaneKeyboardFocus::of(control)->ringRect();
    return test::sameColour(image.pixel(int(ring.left()), int(ring.center().y())), OrvaneTheme::lime(), 60);
}

bool ringShown(const QWidget* control) { return OrvaneKeyboardFocus::of(control)->ringShown(); }

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

// ---- the details sheet ----

HandoffReadinessReport readyToChangeFiles()
{
    HandoffReadinessReport report;
    report.setupKind = HandoffSetupKind::installRosetta; // the setup checklist shows its links too
    report.canApplyBalanced = true;
    return report;
}

BackupManifest backup()
{
    BackupManifest m;
    m.id = QStringLiteral("b1");
    m.instanceRoot = QStringLiteral("/m/tekkit-2");
    m.createdAt = QDateTime(QDate(2026, 12, 8), QTime(7, 21, 8), Qt::UTC);
    m.files.push_back({QStringLiteral("0"), QStringLiteral("/f0"), QString(64, QLatin1Char('0')), 10});
    return m;
}

InstallInspection inspectionWithOptionsAndMods()
{
    InstallInspection i;
    i.technicApp = "/home/a/Applications/TechnicLauncher.jar";
    i.instanceRoot = "/home/a/.technic/modpacks/tekkit-2";
    i.packSlug = QStringLiteral("tekkit-2");
    i.packVersion = QStringLiteral("1.2.6");
    i.isCertifiedPack = true;
    i.options = {{QStringLiteral("renderDistance"), QStringLiteral("8")}, {QStringLiteral("enableVsync"), QStringLiteral("false")}};
    i.modFileNames = {QStringLiteral("VintageFix.jar"), QStringLiteral("Nothirium.jar"), QStringLiteral("ae2.jar")};
    return i;
}

class KeyboardSheet : public ::testing::Test {
protected:
    KeyboardSheet()
        : session(std::make_shared<test::FakeSession>()), model(session, test::testSeams(home.path(), true)),
          operations(std::make_shared<test::RecordingDetailsOperations>())
    {
    }

    DetailsView& open()
    {
        auto urls = std::make_shared<test::RecordingUrlOpener>();
        view = std::make_unique<DetailsView>(model, operations,
                                             DetailsServices{urls, std::make_shared<test::RecordingRevealer>(),
                                                             std::make_shared<test::FakeClipboard>(),
                                                             std::make_shared<test::ScriptedFolderChooser>(),
                                                             FileOperations::system()},
                                             AccessibilitySettings{}, nullptr);
        setState([](AppModelState& s) {
            s.initialInspectionCompleted = true;
            s.inspection = inspectionWithOptionsAndMods();
            CapabilityReport capability;
            capability.chipBrand = QStringLiteral("AMD Ryzen 7 5800U");
            capability.architecture = QStringLiteral("x86_64");
            s.capability = capability;
            s.handoffReadiness = readyToChangeFiles();
            s.backup = backup();
            s.savesBackup = backup();
            s.diagnosticPreview = QStringLiteral("Orvane diagnostic");
            s.diagnosticURL = "/r/report.json";
        });
        view->show();
        view->activateWindow();
        QApplication::setActiveWindow(view.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
        settle();
        operations->calls.clear();
        return *view;
    }

    void setState(const std::function<void(AppModelState&)>& edit)
    {
        AppModelState state = model.state();
        edit(state);
        model.setStateForTesting(state);
        settle();
    }

    static void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
    }

    test::TempDir home;
    std::shared_ptr<test::FakeSession> session;
    AppModel model;
    std::shared_ptr<test::RecordingDetailsOperations> operations;
    std::unique_ptr<DetailsView> view;
};

TEST_F(KeyboardSheet, ABusyToolKeepsTheFocusAndTwoSpacesNeverCloseTheSheet)
{
    using Button = std::function<QAbstractButton*(DetailsView&)>;
    const auto tool = [](DetailsTool t) -> Button { return [t](DetailsView& v) { return v.toolsSection()->button(t); }; };
    const auto busy = [](AppModelState& s, bool on) { s.busy = on; };
    struct Case {
        const char* name;
        Button button;
        const char* operation;
        std::function<void(AppModelState&, bool)> running;
    };
    const Case cases[] = {
        {"Inspect", tool(DetailsTool::inspect), "inspect", busy},
        {"Detect Mac", tool(DetailsTool::detectMac), "checkThisMac", busy},
        {"Back up settings", tool(DetailsTool::backUpSettings), "backUpSettings", busy},
        {"Diagnostics", tool(DetailsTool::diagnostics), "writeDiagnostic", busy},
        {"Back up worlds", tool(DetailsTool::backUpWorlds), "backUpWorlds", busy},
        {"Check for updates", [](DetailsView& v) -> QAbstractButton* { return v.updatesSection()->checkButton(); },
         "checkForUpdates",
         [](AppModelState& s, bool on) { s.updateCheckState = on ? UpdateCheckState::checking() : UpdateCheckState::idle(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DetailsView& sheet = open();
        QAbstractButton* button = c.button(sheet);
        button->setFocus(Qt::TabFocusReason);
        press(&sheet, Qt::Key_Space);
        EXPECT_EQ(operations->calls, QStringList{QString::fromUtf8(c.operation)});

        setState([&](AppModelState& s) { c.running(s, true); });
        ASSERT_FALSE(button->isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), nullptr) << "held, not handed to the next control";
        press(&sheet, Qt::Key_Space);
        press(&sheet, Qt::Key_Space);
        press(&sheet, Qt::Key_Return);
        EXPECT_TRUE(sheet.isVisible());
        EXPECT_EQ(operations->calls.size(), 1);

        setState([&](AppModelState& s) { c.running(s, false); });
        EXPECT_TRUE(button->hasFocus()) << "the focus comes back to the tool";
        EXPECT_TRUE(ringShown(button));
        EXPECT_FALSE(sheet.doneButton()->hasFocus());
    }
}

TEST_F(KeyboardSheet, AToolDisabledNotByItsOwnWorkPassesTheFocusToTheNextAvailableControl)
{
    struct Case {
        const char* name;
        std::vector<std::function<void(AppModelState&)>> steps;
    };
    const auto busy = [](AppModelState& s) { s.busy = true; };
    const auto backupGone = [](AppModelState& s) {
        s.busy = false;
        s.backup.reset();
    };
    const Case cases[] = {
        {"the backup goes while nothing runs", {backupGone}},
        {"an inspection runs, then the backup is gone", {busy, backupGone}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DetailsView& sheet = open();
        QAbstractButton* restore = sheet.toolsSection()->button(DetailsTool::restoreSettings);
        ASSERT_TRUE(restore->isEnabled());
        restore->setFocus(Qt::TabFocusReason);
        for (const auto& step : c.steps)
            setState(step);
        ASSERT_FALSE(restore->isEnabled());
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        EXPECT_TRUE(focused->isEnabled());
        EXPECT_TRUE(ringShown(focused));
        EXPECT_NE(focused, sheet.doneButton());
    }
}

TEST_F(KeyboardSheet, TabGoesOnFromAHeldToolAndTheToolDoesNotTakeTheFocusBack)
{
    struct Case {
        Qt::Key key;
        std::function<QWidget*(DetailsView&)> expected;
    };
    // While busy, the next available control after Back up settings is Reveal report (the other
    // tools wait too); the one before it, Choose folder.
    const Case cases[] = {
        {Qt::Key_Tab, [](DetailsView& v) -> QWidget* { return v.diagnosticSection()->revealButton(); }},
        {Qt::Key_Backtab, [](DetailsView& v) -> QWidget* { return v.toolsSection()->button(DetailsTool::chooseFolder); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key == Qt::Key_Tab ? "Tab" : "Backtab");
        DetailsView& sheet = open();
        sheet.toolsSection()->button(DetailsTool::backUpSettings)->setFocus(Qt::TabFocusReason);
        setState([](AppModelState& s) { s.busy = true; });
        ASSERT_EQ(QApplication::focusWidget(), nullptr);
        press(&sheet, c.key);
        QWidget* expected = c.expected(sheet);
        EXPECT_EQ(QApplication::focusWidget(), expected);
        EXPECT_TRUE(ringShown(expected));
        setState([](AppModelState& s) { s.busy = false; });
        EXPECT_EQ(QApplication::focusWidget(), expected) << "the user moved on: the tool does not take the focus back";
    }
}

TEST_F(KeyboardSheet, ReturnActivatesTheFocusedButtonOfTheSheet)
{
    using Button = std::function<QAbstractButton*(DetailsView&)>;
    struct Case {
        const char* name;
        Button button;
        QStringList calls;
        bool closes, confirms, expands;
    };
    const Case cases[] = {
        {"Done", [](DetailsView& v) -> QAbstractButton* { return v.doneButton(); }, {}, true, false, false},
        {"Inspect", [](DetailsView& v) -> QAbstractButton* { return v.toolsSection()->button(DetailsTool::inspect); },
         {QStringLiteral("inspect")}, false, false, false},
        {"Restore settings",
         [](DetailsView& v) -> QAbstractButton* { return v.toolsSection()->button(DetailsTool::restoreSettings); }, {},
         false, true, false},
        {"Check for updates", [](DetailsView& v) -> QAbstractButton* { return v.updatesSection()->checkButton(); },
         {QStringLiteral("checkForUpdates")}, false, false, false},
        {"Recheck", [](DetailsView& v) -> QAbstractButton* { return v.setupSection()->recheckButton(); },
         {QStringLiteral("performInitialInspection")}, false, false, false},
        {"MANAGED OPTIONS", [](DetailsView& v) -> QAbstractButton* { return v.installSection()->managedOptions()->toggle(); },
         {}, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DetailsView& sheet = open();
        c.button(sheet)->setFocus(Qt::TabFocusReason);
        press(&sheet, Qt::Key_Return);
        settle();
        EXPECT_EQ(operations->calls, c.calls);
        EXPECT_EQ(!sheet.isVisible(), c.closes);
        EXPECT_EQ(sheet.openConfirmation() != nullptr, c.confirms);
        EXPECT_EQ(sheet.installSection()->managedOptions()->isExpanded(), c.expands);
    }
}

TEST_F(KeyboardSheet, TheSheetsFirstFocusShowsNoRingUntilTheFirstTabWhichScrollsToIt)
{
    DetailsView& sheet = open();
    QWidget* first = QApplication::focusWidget();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(ringShown(first));
    const std::filesystem::path folder = std::filesystem::path(ORVANE_TEST_HELPERS_DIR) / "screenshots";
    std::filesystem::create_directories(folder);
    const QImage before = sheet.grab().toImage();
    before.save(QString::fromStdString((folder / "keyboard-sheet-first-focus.png").string()));
    EXPECT_EQ(limePixels(before), 0);

    press(&sheet, Qt::Key_Tab);
    QWidget* next = QApplication::focusWidget();
    ASSERT_NE(next, first);
    EXPECT_TRUE(ringShown(next));
    const QImage after = sheet.grab().toImage();
    after.save(QString::fromStdString((folder / "keyboard-sheet-after-tab.png").string()));
    EXPECT_TRUE(ringDrawnAround(after, next));

    // A control far down the sheet scrolls into view, its ring with it, when it gets the focus.
    QWidget* far = sheet.updatesSection()->checkButton();
    far->setFocus(Qt::TabFocusReason);
    settle();
    QWidget* viewport = sheet.scrollArea()->viewport();
    const QRect shown(far->mapTo(viewport, QPoint(0, 0)), far->size());
    EXPECT_GT(sheet.scrollArea()->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(viewport->rect().contains(shown.adjusted(-6, -6, 6, 6))) << "the ring shows whole too";
}

TEST_F(KeyboardSheet, AnAccessibilitySweepFindsNoUnnamedStopAndDisclosuresThatExpand)
{
    DetailsView& sheet = open();
    const std::vector<QAccessibleInterface*> elements =
        test::visibleAccessibleElements(QAccessible::queryAccessibleInterface(&sheet));
    ASSERT_GT(elements.size(), 20u);
    int focusable = 0;
    for (QAccessibleInterface* element : elements) {
        if (!element->state().focusable)
            continue;
        ++focusable;
        EXPECT_FALSE(element->text(QAccessible::Name).trimmed().isEmpty())
            << element->object()->metaObject()->className() << " " << element->role();
        EXPECT_NE(element->object(), sheet.scrollArea()) << "the scroll area is no Tab stop";
    }
    EXPECT_GT(focusable, 10);

    struct Case {
        const char* name;
        DisclosureGroup* group;
        const char* title;
        bool byKeyboard;
    };
    const Case cases[] = {
        {"options, by Space", sheet.installSection()->managedOptions(), "MANAGED OPTIONS (2)", true},
        {"mod files, by the accessible action", sheet.installSection()->detectedModFiles(), "DETECTED MOD FILES (3)", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QAccessibleInterface* element = QAccessible::queryAccessibleInterface(c.group->toggle());
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(element->role(), QAccessible::Button);
        EXPECT_EQ(element->text(QAccessible::Name), QString::fromUtf8(c.title));
        const auto expect = [&](bool expanded) {
            const QAccessible::State state = element->state();
            EXPECT_TRUE(state.expandable);
            EXPECT_EQ(bool(state.expanded), expanded);
            EXPECT_EQ(bool(state.collapsed), !expanded);
            EXPECT_FALSE(state.checkable) << "not a check box";
            EXPECT_EQ(c.group->body()->isVisible(), expanded);
        };
        expect(false);
        for (const bool expanded : {true, false}) {
            if (c.byKeyboard) {
                c.group->toggle()->setFocus(Qt::TabFocusReason);
                press(&sheet, Qt::Key_Space);
            } else {
                ASSERT_NE(element->actionInterface(), nullptr);
                ASSERT_TRUE(element->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
                element->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            }
            expect(expanded);
        }
    }
}

TEST(DetailRowAccessibility, AnEmptyValueIsNamedAfterItsRowAndAFilledOneByItsText)
{
    DetailRowList rows(false, 4, nullptr);
    rows.setRows({{"CHIP", ""}, {"MODEL", "Desktop"}});
    EXPECT_EQ(QAccessible::queryAccessibleInterface(rows.valueLabel(0))->text(QAccessible::Name), "CHIP");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(rows.valueLabel(1))->text(QAccessible::Name), "Desktop");
    rows.setRows({{"CHIP", "Ryzen"}, {"MODEL", ""}});
    EXPECT_EQ(QAccessible::queryAccessibleInterface(rows.valueLabel(0))->text(QAccessible::Name), "Ryzen");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(rows.valueLabel(1))->text(QAccessible::Name), "MODEL");
}

} // namespace
} // namespace orvane
