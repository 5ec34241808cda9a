// What the details sheet keeps in sight while it scrolls: the result of each action, and the focus
// ring only where the scrolled content shows.

#include "DetailsFakes.h"
#include "WindowHarness.h"

#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "model/ModelGuidance.h"
#include "support/TempDir.h"
#include "ui/details/DetailsDiagnosticSection.h"
#include "ui/details/DetailsOperations.h"
#include "ui/details/DetailsSetupSection.h"
#include "ui/details/DetailsStatusSection.h"
#include "ui/details/DetailsToolsSection.h"
#include "ui/details/DetailsUpdatesSection.h"
#include "ui/details/DetailsView.h"
#include "ui/theme/FlatButton.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <functional>

namespace orvane {
namespace {

BackupManifest backupNamed(const QString& id)
{
    BackupManifest m;
    m.id = id;
    m.instanceRoot = QStringLiteral("/home/player/.technic/modpacks/tekkit-2");
    m.createdAt = QDateTime(QDate(2026, 12, 8), QTime(7, 21, 8), Qt::UTC);
    m.files.push_back({QStringLiteral("0"), QStringLiteral("/f0"), QString(64, QLatin1Char('0')), 10});
    return m;
}

// The sheet over a model whose operations run on a fake session: Rosetta missing (so the setup
// checklist shows), files may be changed, both backups and a diagnostic report exist.
class DetailsSheetSight : public ::testing::Test {
protected:
    DetailsSheetSight() : session(std::make_shared<test::FakeSession>()), model(session, test::testSeams(home.path(), true))
    {
        session->script([](test::FakeSession::Script& s) {
            s.handoffReadiness = [](const ProcessEnvironment&) { return readiness(); };
            s.refreshCapability = [] { return *test::states::ready().capability; };
            s.writeDiagnostics = [] {
                SessionPort::WrittenDiagnostics written;
                written.summary.preview = QStringLiteral("Orvane diagnostic\nRedacted.");
                written.summary.inspection = test::states::ready().inspection;
                written.url = "/home/player/.local/share/orvane/diagnostics/report.json";
                return written;
            };
        });
        folders->answer = "/home/player/.technic/modpacks/tekkit-2";
        revealer->refuse = true;
    }

    static HandoffReadinessReport readiness()
    {
        HandoffReadinessReport report;
        report.setupKind = HandoffSetupKind::installRosetta;
        report.canApplyBalanced = true;
        return report;
    }

    DetailsView& open(const QString& status = QStringLiteral("Certified Tekkit 2 1.2.6 found. Nothing was changed."))
    {
        view.reset();
        AppModelState state = test::states::ready();
        state.capability->rosettaInstalled = false;
        state.handoffReadiness = readiness();
        state.savesBackup = backupNamed(QStringLiteral("worlds-1"));
        state.diagnosticPreview = QStringLiteral("Orvane diagnostic\nRedacted.");
        state.diagnosticURL = "/home/player/.local/share/orvane/diagnostics/report.json";
        state.status = status;
        model.setStateForTesting(state);
        view = std::make_unique<DetailsView>(model, DetailsOperations::of(model),
                                             DetailsServices{std::make_shared<test::RecordingUrlOpener>(), revealer,
                                                             std::make_shared<test::FakeClipboard>(), folders,
                                                             FileOperations::system(), announcer},
                                             AccessibilitySettings{}, nullptr);
        view->resize(DetailsView::idealWidth, DetailsView::idealHeight);
        view->show();
        QApplication::setActiveWindow(view.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
        settle(); // the readiness refresh the sheet starts when it appears
        return *view;
    }

    // Lets a started operation (a chooser's runs after its answer) finish and the sheet catch up.
    void settle()
    {
        QCoreApplication::processEvents();
        EXPECT_TRUE(test::runEventsUntil([this] { return !modelGuidance::workInFlight(model.state()); }));
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
    }

    // `widget`'s rectangle in the scroll area's viewport, and the viewport's own.
    static QRect inViewport(const DetailsView& sheet, const QWidget* widget)
    {
        return QRect(widget->mapTo(sheet.scrollArea()->viewport(), QPoint(0, 0)), widget->size());
    }

    test::TempDir home;
    std::shared_ptr<test::FakeSession> session;
    AppModel model;
    std::shared_ptr<test::RecordingRevealer> revealer = std::make_shared<test::RecordingRevealer>();
    std::shared_ptr<test::ScriptedFolderChooser> folders = std::make_shared<test::ScriptedFolderChooser>();
    std::shared_ptr<test::RecordingAnnouncer> announcer = std::make_shared<test::RecordingAnnouncer>();
    std::unique_ptr<DetailsView> view;
};

TEST_F(DetailsSheetSight, EveryActionsResultIsScrolledIntoViewAndAnnouncedWhenItArrives)
{
    using Pick = std::function<QAbstractButton*(DetailsView&)>;
    using Line = std::function<QLabel*(DetailsView&)>;
    const auto tool = [](DetailsTool t) -> Pick { return [t](DetailsView& v) { return v.toolsSection()->button(t); }; };
    const Line status = [](DetailsView& v) { return v.statusSection()->statusLabel(); };
    struct Case {
        const char* name;
        Pick button;
        Line result;
        bool confirm = false;
        bool outOfSight = true; // the result's line is scrolled away while the button has the focus
        QString statusBefore = QStringLiteral("Certified Tekkit 2 1.2.6 found. Nothing was changed.");
        // The result is on screen while the work still runs; the button takes the focus back after it.
        bool resultBeforeTheEnd = false;
    };
    const Case cases[] = {
        {"Inspect", tool(DetailsTool::inspect), status},
        {"Detect Mac", tool(DetailsTool::detectMac), status},
        {"Choose folder", tool(DetailsTool::chooseFolder), status},
        {"Back up settings", tool(DetailsTool::backUpSettings), status},
        {"Diagnostics, a new report shown before the work ends", tool(DetailsTool::diagnostics), status, false, true,
         QStringLiteral("Certified Tekkit 2 1.2.6 found. Nothing was changed."), true},
        {"Diagnostics, the same report written again", tool(DetailsTool::diagnostics), status, false, true,
         QStringLiteral("Diagnostic written. Preview is redacted.")},
        {"Back up worlds", tool(DetailsTool::backUpWorlds), status},
        {"Restore settings", tool(DetailsTool::restoreSettings), status, true},
        {"Restore worlds", tool(DetailsTool::restoreWorlds), status, true},
        {"Recheck", [](DetailsView& v) -> QAbstractButton* { return v.setupSection()->recheckButton(); }, status},
        {"Choose instance…", [](DetailsView& v) -> QAbstractButton* { return v.setupSection()->chooseInstanceButton(); }, status},
        {"Check for updates", [](DetailsView& v) -> QAbstractButton* { return v.updatesSection()->checkButton(); },
         [](DetailsView& v) { return v.updatesSection()->statusLabel(); }, false, false},
        {"Copy report", [](DetailsView& v) -> QAbstractButton* { return v.diagnosticSection()->copyButton(); },
         [](DetailsView& v) { return v.diagnosticSection()->feedbackLabel(); }, false, false},
        {"Reveal report, which nothing opens", [](DetailsView& v) -> QAbstractButton* { return v.diagnosticSection()->revealButton(); },
         status},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DetailsView& sheet = open(c.statusBefore);
        QAbstractButton* button = c.button(sheet);
        ASSERT_TRUE(button->isEnabled());
        button->setFocus(Qt::TabFocusReason);
        settle();
        QWidget* viewport = sheet.scrollArea()->viewport();
        ASSERT_TRUE(viewport->rect().contains(inViewport(sheet, button))) << "the focus brought the button into view";
        if (c.outOfSight) {
            ASSERT_FALSE(viewport->rect().intersects(inViewport(sheet, c.result(sheet))));
        }
        announcer->announced.clear();
        const auto readiness = c.resultBeforeTheEnd ? session->holdNext(QStringLiteral("handoffReadiness")) : nullptr;
        QTest::keyClick(sheet.windowHandle(), Qt::Key_Space);
        if (readiness) {
            ASSERT_TRUE(test::runEventsUntil([&] { return !announcer->announced.isEmpty(); }));
            EXPECT_TRUE(modelGuidance::workInFlight(model.state()));
            readiness->release();
        }
        if (c.confirm) {
            ASSERT_NE(sheet.openConfirmation(), nullptr);
            for (QAbstractButton* choice : sheet.openConfirmation()->buttons())
                if (sheet.openConfirmation()->buttonRole(choice) == QMessageBox::DestructiveRole)
                    choice->click();
        }
        ASSERT_TRUE(test::runEventsUntil([this] {
            return !announcer->announced.isEmpty() && !modelGuidance::workInFlight(model.state());
        })) << "a result arrives and is announced";
        settle();
        QLabel* result = c.result(sheet);
        ASSERT_TRUE(result->isVisible());
        EXPECT_FALSE(result->text().isEmpty());
        EXPECT_TRUE(viewport->rect().contains(inViewport(sheet, result)))
            << result->text().toStdString() << " lies at " << inViewport(sheet, result).top() << " in a viewport "
            << viewport->height() << " high";
        EXPECT_EQ(announcer->announced.last(), result->text()) << "the result is what was announced";
        EXPECT_EQ(announcer->announced.count(result->text()), 1) << "once";
    }
}

int limePixels(const QImage& image, const QRect& area)
{
    int count = 0;
    for (int y = std::max(0, area.top()); y <= std::min(image.height() - 1, area.bottom()); ++y)
        for (int x = std::max(0, area.left()); x <= std::min(image.width() - 1, area.right()); ++x)
            count += test::sameColour(image.pixel(x, y), OrvaneTheme::lime(), 40) ? 1 : 0;
    return count;
}

TEST_F(DetailsSheetSight, TheFocusRingIsClippedByTheViewportWhenItsControlScrollsUnderTheHeader)
{
    DetailsView& sheet = open();
    QAbstractButton* inspect = sheet.toolsSection()->button(DetailsTool::inspect);
    inspect->setFocus(Qt::TabFocusReason);
    settle();
    const OrvaneKeyboardFocus* ring = OrvaneKeyboardFocus::of(inspect);
    ASSERT_TRUE(ring->ringShown());
    QWidget* viewport = sheet.scrollArea()->viewport();
    const QRect shownArea(viewport->mapTo(&sheet, QPoint(0, 0)), viewport->size());
    const QRect header(0, 0, sheet.width(), shownArea.top());
    struct Case {
        const char* name;
        int controlTop; // where the control's top edge stands in the viewport
        bool ringSeen;
    };
    const Case cases[] = {
        {"in view", 40, true},
        {"its ring's top under the header", 2, true},
        {"half under the header", -inspect->height() / 2, true},
        {"wholly under the header", -inspect->height() - 20, false},
    };
    QScrollBar* scroll = sheet.scrollArea()->verticalScrollBar();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        scroll->setValue(scroll->value() + inViewport(sheet, inspect).top() - c.controlTop);
        settle();
        ASSERT_EQ(inViewport(sheet, inspect).top(), c.controlTop);
        ASSERT_TRUE(ring->ringShown());
        const QImage image = sheet.grab().toImage();
        image.save(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots/details-ring-")
                   + QString::number(c.controlTop) + QStringLiteral(".png"));
        EXPECT_EQ(limePixels(image, header), 0) << "no ring over the header";
        const QRect drawn = QRect(ring->mapTo(&sheet, QPoint(0, 0)), ring->size())
                                .intersected(QRect(ring->parentWidget()->mapTo(&sheet, QPoint(0, 0)), ring->parentWidget()->size()));
        EXPECT_TRUE(drawn.isEmpty() || shownArea.contains(drawn)) << "the ring lies inside the viewport";
        EXPECT_EQ(limePixels(image, shownArea) > 0, c.ringSeen);
    }
}

} // namespace
} // namespace orvane
