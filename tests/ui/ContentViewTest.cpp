#include "WindowHarness.h"

#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/SampleRecords.h"
#include "app/support/TestSeams.h"
#include "support/QtPrinters.h"
#include "ui/theme/FittedLabel.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/OrvaneWordmark.h"
#include "ui/theme/TextButton.h"
#include "ui/theme/UtilityButton.h"
#include "ui/window/ContentViewRules.h"
#include "ui/window/LaunchWatchCard.h"
#include "ui/window/ModelWindowOperations.h"
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

QStringList chipTexts(const ReadinessChips* chips)
{
    QStringList texts;
    for (const ReadinessChips::Chip& chip : chips->chips())
        if (!chip.separator)
            texts << chip.text + (chip.active ? QStringLiteral("+") : QStringLiteral("-"));
    return texts;
}

TEST(ContentView, MainColumnWidthIsTheWindowLessPaddingClampedTo400Through680)
{
    EXPECT_EQ(ContentView::mainColumnWidth(640), 552);
    EXPECT_EQ(ContentView::mainColumnWidth(1020), 680);
    EXPECT_EQ(ContentView::mainColumnWidth(768), 680);
    EXPECT_EQ(ContentView::mainColumnWidth(488), 400);
    EXPECT_EQ(ContentView::mainColumnWidth(300), 400);

    for (const QSize size : {QSize(640, 600), QSize(1020, 800)}) {
        WindowHarness window(size);
        const int column = ContentView::mainColumnWidth(size.width());
        EXPECT_EQ(window.view().packButton()->width(), column);
        EXPECT_EQ(window.view().primaryButton()->geometry(), window.view().watchCard()->geometry());
        EXPECT_EQ(window.view().packButton()->x(), (size.width() - column) / 2);
        EXPECT_EQ(window.view().detailsButton()->geometry().right(), size.width() - 44 - 1);
        EXPECT_EQ(window.view().primaryButton()->height(), 106);
        EXPECT_EQ(window.view().packButton()->height(), 86);
        EXPECT_LT(window.view().subtitle()->geometry().bottom(), window.view().restoreButton()->y())
            << "the column stays above the bottom row";
    }
}

TEST(ContentView, StartsTheInitialInspectionOnceWhenFirstShownAndRefreshesOnReturnOnlyWhenIdle)
{
    WindowHarness window;
    EXPECT_EQ(window.operations().calls, QStringList{QStringLiteral("performInitialInspection")});
    window.view().hide();
    window.view().show();
    EXPECT_EQ(window.operations().calls.count(QStringLiteral("performInitialInspection")), 1);

    window.operations().calls.clear();
    window.view().applicationBecameActive();
    EXPECT_TRUE(window.operations().calls.isEmpty()) << "before the first inspection has completed";
    AppModelState busy = states::ready();
    busy.busy = true;
    window.setState(busy);
    window.view().applicationBecameActive();
    EXPECT_TRUE(window.operations().calls.isEmpty()) << "an activation while busy is ignored, not queued";
    window.setState(states::ready());
    window.view().applicationBecameActive();
    EXPECT_EQ(window.operations().calls, QStringList{QStringLiteral("refreshReadiness")});
}

// The badge, subtitle and chips for each state, read from the widgets after the model changed.
TEST(ContentView, BadgeSubtitleAndChipsFollowTheModel)
{
    struct Case {
        const char* name;
        AppModelState state;
        bool javaReady;
        QString word;
        QColor accent;
        QString subtitle;
        QColor subtitleColour;
        QStringList chips;
        QString summary;
    };
    AppModelState direct = states::ready();
    PackDescriptor skyfall = PackDescriptor::tekkit2;
    skyfall.id = *PackID::fromRawValue(QStringLiteral("skyfall"));
    skyfall.name = QStringLiteral("Skyfall");
    skyfall.launchMode = LaunchMode::direct;
    direct.availablePacks.push_back(skyfall);
    direct.selectedPackID = skyfall.id;
    const std::vector<Case> cases{
        {"fresh start", states::freshStart(), true, "SELECT PACK", OrvaneTheme::textPrimary(),
         "CHOOSE A CERTIFIED TEKKIT 2 INSTANCE", OrvaneTheme::textSecondary(),
         {"BALANCED-", "JAVA 8+", "ROSETTA-"}, "Balanced not applied, Java 8 ready, Rosetta missing"},
        {"ready", states::ready(), true, "READY", OrvaneTheme::lime(),
         "ORVANE OPENS TECHNIC · YOU PRESS PLAY THERE · ORVANE NEVER LAUNCHES MINECRAFT", OrvaneTheme::textSecondary(),
         {"BALANCED+", "JAVA 8+", "ROSETTA+"}, "Balanced ready, Java 8 ready, Rosetta ready"},
        {"setup pending", states::setupPending(), true, "NEEDS SETUP", OrvaneTheme::warning(),
         "ROSETTA 2 IS REQUIRED FOR TEKKIT 2’S INTEL-ONLY GAME COMPONENTS.", OrvaneTheme::warning(),
         {"BALANCED-", "JAVA 8+", "ROSETTA-"}, "Balanced not applied, Java 8 ready, Rosetta missing"},
        {"watching", states::watching(), true, "WORKING", OrvaneTheme::textPrimary(),
         "TECHNIC IS OPEN. SELECT TEKKIT 2 AND PRESS PLAY THERE.", OrvaneTheme::textSecondary(),
         {"BALANCED+", "JAVA 8+", "ROSETTA+"}, "Balanced ready, Java 8 ready, Rosetta ready"},
        {"failure", states::failure(QStringLiteral("Technic is running.")), true, "CHECK SETUP", OrvaneTheme::red(),
         "TECHNIC IS RUNNING.", OrvaneTheme::warning(),
         {"BALANCED+", "JAVA 8+", "ROSETTA+"}, "Balanced ready, Java 8 ready, Rosetta ready"},
        {"java missing", states::ready(), false, "READY", OrvaneTheme::warning(),
         "ORVANE OPENS TECHNIC · YOU PRESS PLAY THERE · ORVANE NEVER LAUNCHES MINECRAFT", OrvaneTheme::warning(),
         {"BALANCED+", "JAVA 8-", "ROSETTA+"}, "Balanced ready, Java 8 missing, Rosetta ready"},
        {"direct pack", direct, true, "READY", OrvaneTheme::lime(), "ONE CLICK · ORVANE STARTS SKYFALL",
         OrvaneTheme::textSecondary(), {"DIRECT+"}, "Direct launch provider"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowHarness window({1020, 800}, {}, c.javaReady);
        window.setState(c.state);
        const ContentView& view = window.view();
        EXPECT_EQ(view.badge()->look().word, c.word);
        EXPECT_EQ(view.badge()->look().accent, c.accent);
        EXPECT_EQ(view.badge()->accessibleName(), QStringLiteral("Readiness: ") + c.word.toLower());
        EXPECT_EQ(view.subtitle()->text(), c.subtitle);
        EXPECT_EQ(view.subtitle()->color(), c.subtitleColour);
        EXPECT_EQ(chipTexts(view.chips()), c.chips);
        EXPECT_EQ(view.chips()->accessibleName(), c.summary);
    }
}

TEST(ContentView, PrimaryAreaFollowsTheDisplayState)
{
    WindowHarness window;
    ContentView& view = window.view();
    window.setState(states::ready());
    EXPECT_EQ(view.primaryButton()->title(), QStringLiteral("OPEN TECHNIC"));
    EXPECT_TRUE(view.primaryButton()->isEnabled());
    EXPECT_EQ(view.primaryButton()->symbol(), OrvaneSymbol::arrowUpForward);
    EXPECT_EQ(view.primaryButton()->accessibleName(), QStringLiteral("Open Technic"));
    EXPECT_EQ(view.primaryButton()->accessibleDescription(), QStringLiteral("Open official Technic, then press Play there."));

    AppModelState preparing = states::ready();
    preparing.busy = true;
    preparing.primaryActionInFlight = true;
    window.setState(preparing);
    EXPECT_EQ(view.primaryButton()->title(), QStringLiteral("PREPARING…"));
    EXPECT_FALSE(view.primaryButton()->isEnabled());
    EXPECT_FALSE(view.packButton()->isEnabled());

    window.setState(states::watching());
    EXPECT_FALSE(view.primaryButton()->isVisible());
    EXPECT_TRUE(view.watchCard()->isVisible());
    EXPECT_EQ(view.watchCard()->look().title, QStringLiteral("PRESS PLAY IN TECHNIC"));
    EXPECT_TRUE(view.watchCard()->cancelButton()->isVisible());
    view.watchCard()->cancelButton()->click();
    EXPECT_EQ(window.operations().calls.last(), QStringLiteral("cancelLaunchObservation"));

    AppModelState cancelling = states::watching();
    cancelling.cancellationRequested = true;
    window.setState(cancelling);
    EXPECT_FALSE(view.watchCard()->cancelButton()->isEnabled()) << "disabled after the first press";
    AppModelState unowned = states::watching();
    unowned.providerOperationActive = false;
    window.setState(unowned);
    EXPECT_FALSE(view.watchCard()->cancelButton()->isVisible()) << "no provider operation to cancel";

    window.setState(states::setupPending());
    EXPECT_TRUE(view.primaryButton()->isVisible());
    EXPECT_EQ(view.primaryButton()->title(), QStringLiteral("ROSETTA HELP"));
    EXPECT_TRUE(view.primaryButton()->isEnabled()) << "blocked with a setup step opens the details sheet";
    AppModelState blocked = states::ready();
    blocked.availablePacks[0].availability = PackAvailability::blocked;
    window.setState(blocked);
    EXPECT_EQ(view.primaryButton()->title(), QStringLiteral("SETUP REQUIRED"));
    EXPECT_FALSE(view.primaryButton()->isEnabled());
}

TEST(ContentView, PrimaryButtonOpensTheDetailsSheetWhileASetupStepIsPending)
{
    WindowHarness window;
    int sheetsMade = 0;
    window.view().setDetailsSheetFactory([&sheetsMade](QWidget* parent) {
        ++sheetsMade;
        return new QDialog(parent);
    });
    window.setState(states::setupPending());
    window.operations().calls.clear();
    window.view().primaryButton()->click();
    EXPECT_EQ(sheetsMade, 1);
    EXPECT_TRUE(window.view().showingDetails());
    EXPECT_TRUE(window.operations().calls.isEmpty()) << "no operation starts";
    ASSERT_TRUE(window.view().detailsSheet());
    EXPECT_EQ(window.view().detailsSheet()->windowModality(), Qt::WindowModal);
    window.view().detailsSheet()->reject();
    EXPECT_FALSE(window.view().showingDetails());

    window.setState(states::ready());
    window.view().primaryButton()->click();
    EXPECT_EQ(window.operations().calls, QStringList{QStringLiteral("performPrimaryAction")});
    window.view().detailsButton()->click();
    EXPECT_EQ(sheetsMade, 2) << "a fresh sheet each time";
}

TEST(ContentView, RestoreAsksForConfirmationFirst)
{
    WindowHarness window;
    window.setState(states::ready());
    ContentView& view = window.view();
    ASSERT_TRUE(view.restoreButton()->isEnabled());
    EXPECT_EQ(view.restoreButton()->textColor(), OrvaneTheme::textPrimary());
    for (const bool confirm : {false, true}) {
        SCOPED_TRACE(confirm ? "restore" : "cancel");
        window.operations().calls.clear();
        view.restoreButton()->click();
        ASSERT_TRUE(view.confirmingRestore());
        QMessageBox* box = view.restoreConfirmation();
        EXPECT_EQ(box->text(), QStringLiteral("Restore the settings from before Balanced?"));
        EXPECT_EQ(box->informativeText(),
                  QStringLiteral("This puts each setting Balanced changed back to its value in the verified snapshot "
                                 "taken before Balanced first took effect. Other settings and your worlds are not "
                                 "changed."));
        EXPECT_TRUE(window.operations().calls.isEmpty());
        QAbstractButton* restore = nullptr;
        QAbstractButton* cancel = nullptr;
        for (QAbstractButton* button : box->buttons())
            (box->buttonRole(button) == QMessageBox::DestructiveRole ? restore : cancel) = button;
        ASSERT_EQ(box->buttons().size(), 2);
        ASSERT_TRUE(restore && cancel);
        EXPECT_EQ(restore->text(), QStringLiteral("Restore settings from before Balanced"));
        EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
        EXPECT_EQ(box->buttonRole(cancel), QMessageBox::RejectRole);
        EXPECT_EQ(box->escapeButton(), cancel);
        (confirm ? restore : cancel)->click();
        QCoreApplication::processEvents();
        EXPECT_FALSE(view.confirmingRestore());
        EXPECT_EQ(window.operations().calls,
                  confirm ? QStringList{QStringLiteral("restoreSettings")} : QStringList{});
    }

    AppModelState noBackup = states::ready();
    noBackup.backup.reset();
    window.setState(noBackup);
    EXPECT_FALSE(view.restoreButton()->isEnabled());
    EXPECT_EQ(view.restoreButton()->textColor(), OrvaneTheme::textTertiary());
}

TEST(ContentView, AnnouncesEachNewTextOnceAndNothingWhileTheSheetOrMenuIsOpen)
{
    WindowHarness window;
    auto& announced = window.announcer().announced;
    EXPECT_TRUE(announced.isEmpty()) << "nothing is announced when the view is first shown";

    AppModelState s = states::ready();
    s.status = QStringLiteral("A.");
    window.setState(s);
    window.setState(s);
    s.status = QStringLiteral("B.");
    window.setState(s);
    s.status = QStringLiteral("A.");
    window.setState(s);
    EXPECT_EQ(announced, (QStringList{"A.", "B.", "A."})) << "a returning text is announced again, a repeated one not";

    // While running, the detail is announced; an error beats both.
    s.busy = true;
    s.primaryActionInFlight = true;
    window.setState(s);
    EXPECT_EQ(announced.last(), QStringLiteral("Verifying setup and preparing a reversible Balanced profile."));
    s.errorMessage = QStringLiteral("Technic is running.");
    window.setState(s);
    EXPECT_EQ(announced.last(), QStringLiteral("Technic is running."));

    // The details sheet holds announcements back; closing it announces the current text if it is new.
    window.view().setDetailsSheetFactory([](QWidget* parent) { return new QDialog(parent); });
    s = states::ready();
    s.status = QStringLiteral("A.");
    window.setState(s);
    const qsizetype before = announced.size();
    window.view().showDetails();
    s.status = QStringLiteral("C.");
    window.setState(s);
    EXPECT_EQ(announced.size(), before);
    window.view().detailsSheet()->reject();
    EXPECT_EQ(announced.last(), QStringLiteral("C."));

    // So does the pack menu.
    window.view().packButton()->click();
    ASSERT_TRUE(window.view().showingPackMenu());
    s.status = QStringLiteral("D.");
    window.setState(s);
    EXPECT_EQ(announced.last(), QStringLiteral("C."));
    window.view().packMenu()->close();
    EXPECT_FALSE(window.view().showingPackMenu());
    EXPECT_EQ(announced.last(), QStringLiteral("D."));
}

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

TEST(ContentView, DirectPackMenuHasNoInstanceChoice)
{
    WindowHarness window;
    AppModelState s = states::ready();
    PackDescriptor skyfall = PackDescriptor::tekkit2;
    skyfall.id = *PackID::fromRawValue(QStringLiteral("skyfall"));
    skyfall.name = QStringLiteral("Skyfall");
    skyfall.launchMode = LaunchMode::direct;
    PackDescriptor blocked = skyfall;
    blocked.id = *PackID::fromRawValue(QStringLiteral("closed"));
    blocked.availability = PackAvailability::blocked;
    s.availablePacks = {PackDescriptor::tekkit2, skyfall, blocked};
    s.selectedPackID = skyfall.id;
    window.setState(s);
    window.view().packButton()->click();
    ASSERT_TRUE(window.view().showingPackMenu());
    EXPECT_EQ(window.view().packMenu()->chooseInstanceButton(), nullptr);
    ASSERT_EQ(window.view().packMenu()->rows().size(), 3);
    EXPECT_FALSE(window.view().packMenu()->rows()[2]->isEnabled()) << "a blocked pack is listed but not offered";
    EXPECT_EQ(window.view().primaryButton()->symbol(), OrvaneSymbol::playFill);
    window.view().packMenu()->close();
}

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

TEST(ContentView, AWarningWithMarkupIsShownLiterally)
{
    WindowHarness window;
    window.setState(states::failure(QStringLiteral("<b>x</b>")));
    ContentView& view = window.view();
    EXPECT_EQ(view.subtitle()->text(), QStringLiteral("<B>X</B>"));
    EXPECT_EQ(view.primaryButton()->accessibleDescription(), QStringLiteral("<b>x</b>"));
    EXPECT_EQ(view.promptLine()->textFormat(), Qt::PlainText);

    // Eight characters are drawn, not one bold "X": the ink spans most of eight monospaced cells.
    const QImage image = view.subtitle()->grab().toImage();
    int left = image.width();
    int right = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qAlpha(image.pixel(x, y)) > 0 && qRed(image.pixel(x, y)) > 120) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    const qreal cell = QFontMetricsF(OrvaneTheme::labelFont()).horizontalAdvance(QLatin1Char('M'));
    EXPECT_GT(right - left, 6 * cell);

    // A readiness report's required action, used as RESTORE's hint, is plain text too.
    AppModelState s = states::ready();
    s.handoffReadiness->canApplyBalanced = false;
    s.handoffReadiness->requiredActions = {QStringLiteral("<b>x</b>")};
    window.setState(s);
    EXPECT_EQ(view.restoreButton()->accessibleDescription(), QStringLiteral("<b>x</b>"));
}

// Renders of the four states at the default and the minimum size, kept as PNG files beside the tests,
// with pixel checks of the background, the badge's lit square and the focus ring.
TEST(ContentView, ScreenshotsShowTheBackgroundBadgeColourAndFocusRing)
{
    struct Case {
        const char* name;
        AppModelState state;
        QColor accent;
    };
    const std::vector<Case> cases{
        {"setup-pending", states::setupPending(), OrvaneTheme::warning()},
        {"ready", states::ready(), OrvaneTheme::lime()},
        {"watching", states::watching(), OrvaneTheme::textPrimary()},
        {"failure", states::failure(), OrvaneTheme::red()},
    };
    for (const QSize size : {QSize(1020, 800), QSize(640, 600)}) {
        for (const Case& c : cases) {
            const QString name = QStringLiteral("main-%1-%2x%3").arg(QLatin1String(c.name)).arg(size.width()).arg(size.height());
            SCOPED_TRACE(name.toStdString());
            WindowHarness window(size);
            window.setState(c.state);
            const bool watching = c.state.observingLaunch;
            if (!watching) {
                window.activate();
                window.view().primaryButton()->setFocus(Qt::TabFocusReason);
            }
            const QImage image = window.saveScreenshot(name);
            ASSERT_EQ(image.size(), size);

            // The corners show the plain background (the glow adds at most a step or two there).
            for (const QPoint corner : {QPoint(size.width() - 3, size.height() - 3), QPoint(2, size.height() - 3)})
                EXPECT_TRUE(test::sameColour(image.pixel(corner), OrvaneTheme::background(), 3))
                    << std::hex << image.pixel(corner);

            // The badge's lit square is the accent colour (a translucent accent shows a little of its glow).
            const ReadinessBadge* badge = window.view().badge();
            const QPoint square = badge->mapTo(&window.view(), badge->squareRect().center().toPoint());
            EXPECT_TRUE(test::sameColour(image.pixel(square), test::overBackground(c.accent), 8))
                << std::hex << image.pixel(square);

            // The focused primary button has the lime ring 4 pixels outside its left edge; none inside.
            const PrimaryButton* primary = window.view().primaryButton();
            const QPoint leftEdge = primary->mapTo(&window.view(), QPoint(0, primary->height() / 2));
            const QRgb ring = image.pixel(leftEdge - QPoint(4, 0));
            if (watching) {
                EXPECT_FALSE(test::sameColour(ring, OrvaneTheme::lime(), 60));
            } else {
                EXPECT_TRUE(test::sameColour(ring, OrvaneTheme::lime(), 60)) << std::hex << ring;
                EXPECT_FALSE(test::sameColour(image.pixel(leftEdge + QPoint(6, 0)), OrvaneTheme::lime(), 60));
            }
        }
    }
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

namespace orvane {
namespace {

// The real operations: showing the window starts the model's first inspection over the session.
TEST(ModelWindowOperations, ShowingTheWindowRunsTheModelsInitialInspection)
{
    auto session = std::make_shared<test::FakeSession>();
    AppModel model(session, test::testSeams());
    ContentView::Seams seams;
    seams.operations = std::make_shared<ModelWindowOperations>(model);
    seams.accessibility = std::make_shared<FixedAccessibilityPrefs>();
    seams.announcer = std::make_shared<test::RecordingAnnouncer>();
    ContentView view(model, seams);
    EXPECT_TRUE(session->callNames().isEmpty());
    view.show();
    ASSERT_TRUE(test::runEventsUntil([&] { return model.initialInspectionCompleted() && !model.busy(); }));
    EXPECT_FALSE(session->callNames().isEmpty());
}

} // namespace
} // namespace orvane
