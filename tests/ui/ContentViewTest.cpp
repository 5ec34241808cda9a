#include "WindowHarness.h"

#include "app/support/SampleRecords.h"
#include "app/support/TestSeams.h"
#include "support/QtPrinters.h"
#include "ui/theme/FittedLabel.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/OrvaneWordmark.h"
#include "ui/theme/TextButton.h"
#include "ui/theme/UtilityButton.h"
#include "ui/window/ContentViewRules.h"
#include "ui/window/LaunchWatchCard.h"
#include "ui/window/PackButton.h"
#include "ui/window/PackMenu.h"
#include "ui/window/PrimaryButton.h"
#include "ui/window/ReadinessBadge.h"
#include "ui/window/ReadinessChips.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

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

} // namespace
} // namespace orvane
