// The details sheet's tools: their layout, their busy state, and what each one starts or asks first.

#include "DetailsViewFixture.h"

#include "app/support/EventLoop.h"
#include "model/AppModel.h"
#include "support/QtPrinters.h"
#include "ui/details/DetailRowList.h"
#include "ui/details/DetailsAboutSection.h"
#include "ui/details/DetailsBackupsSection.h"
#include "ui/details/DetailsDiagnosticSection.h"
#include "ui/details/DetailsInstallSection.h"
#include "ui/details/DetailsLook.h"
#include "ui/details/DetailsMacSection.h"
#include "ui/details/DetailsOperations.h"
#include "ui/details/DetailsSetupSection.h"
#include "ui/details/DetailsStatusSection.h"
#include "ui/details/DetailsToolsSection.h"
#include "ui/details/DetailsUpdatesSection.h"
#include "ui/details/DetailsView.h"
#include "ui/details/DetailsWarningsSection.h"
#include "ui/details/HeadingLabel.h"
#include "ui/details/ToolsGrid.h"
#include "ui/theme/DisclosureGroup.h"
#include "ui/theme/FlatButton.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/TextButton.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <sys/stat.h>

#include <chrono>
#include <set>

namespace orvane {
namespace {

using test::detailsSheet::backupOf;
using test::detailsSheet::DetailsViewTest;
using test::detailsSheet::readiness;

TEST_F(DetailsViewTest, ToolsFillAsManyColumnsAsTheSheetsWidthAllows)
{
    DetailsView& sheet = open();
    ToolsGrid* grid = sheet.toolsSection()->grid();
    std::set<int> counts;
    for (const int width : {540, 640, 720, 900, 1200}) {
        SCOPED_TRACE(width);
        sheet.resize(width, 680);
        QCoreApplication::processEvents();
        const int expected = DetailsTools::columnCount(grid->width());
        EXPECT_EQ(grid->columnCount(), expected);
        const int firstRowY = sheet.toolsSection()->button(DetailsTool::inspect)->y();
        int inFirstRow = 0;
        for (const auto tool : DetailsTools::all) {
            const auto* button = sheet.toolsSection()->button(tool);
            inFirstRow += button->y() == firstRowY;
            EXPECT_GE(button->width(), DetailsTools::minimumColumnWidth);
            EXPECT_GE(button->height(), 40);
        }
        EXPECT_EQ(inFirstRow, std::min(expected, 8));
        counts.insert(expected);
    }
    EXPECT_GE(counts.size(), 3u) << "the widths tried should give different column counts";
}

TEST_F(DetailsViewTest, WhileBusyOnlyChooseFolderAndChooseInstanceStayAvailable)
{
    DetailsView& sheet = open();
    const auto enabledTools = [&] {
        QStringList result;
        for (const auto tool : DetailsTools::all)
            if (sheet.toolsSection()->button(tool)->isEnabled())
                result << DetailsTools::title(tool);
        return result;
    };
    setState([](AppModelState& s) {
        s.initialInspectionCompleted = true;
        s.handoffReadiness = readiness(HandoffSetupKind::quitRunning, true);
        s.backup = backupOf(QStringLiteral("/m/tekkit-2"), {1});
        s.savesBackup = backupOf(QStringLiteral("/m/tekkit-2"), {1});
    });
    EXPECT_EQ(enabledTools().size(), 8);
    EXPECT_TRUE(sheet.setupSection()->recheckButton()->isEnabled());

    setState([](AppModelState& s) { s.busy = true; });
    EXPECT_EQ(enabledTools(), QStringList{QStringLiteral("Choose folder")});
    EXPECT_FALSE(sheet.setupSection()->recheckButton()->isEnabled());
    EXPECT_TRUE(sheet.setupSection()->chooseInstanceButton()->isEnabled());
    EXPECT_TRUE(sheet.updatesSection()->checkButton()->isEnabled());
}

TEST_F(DetailsViewTest, CopyReportCopiesTheFileOrThePreviewAndSaysWhetherItWorked)
{
    test::TempDir dir;
    const auto report = dir / "orvane-diagnostic-1.json";
    test::writeFile(report, "{\"preview\": \"full report\"}");
    const auto fifo = dir / "orvane-diagnostic-2.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    DetailsView& sheet = open();
    setState([&](AppModelState& s) {
        s.diagnosticPreview = QStringLiteral("redacted preview");
        s.diagnosticURL = report;
    });
    auto* diagnostic = sheet.diagnosticSection();
    EXPECT_FALSE(shown(diagnostic->feedbackLabel()));
    EXPECT_EQ(diagnostic->previewLabel()->text(), QStringLiteral("redacted preview"));
    diagnostic->copyButton()->click();
    EXPECT_EQ(clipboard->text, QStringLiteral("{\"preview\": \"full report\"}"));
    EXPECT_EQ(diagnostic->feedbackLabel()->text(), QStringLiteral("Report copied."));

    // A FIFO at the report's path would block a plain read for ever.
    setState([&](AppModelState& s) { s.diagnosticURL = fifo; });
    const auto start = std::chrono::steady_clock::now();
    diagnostic->copyButton()->click();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(clipboard->text, QStringLiteral("redacted preview"));
    EXPECT_EQ(diagnostic->feedback(), QStringLiteral("Report copied."));

    clipboard->refuse = true;
    diagnostic->copyButton()->click();
    EXPECT_EQ(diagnostic->feedbackLabel()->text(), QStringLiteral("Could not copy the report."));

    setState([&](AppModelState& s) { s.diagnosticPreview = QStringLiteral("a newer report"); });
    EXPECT_EQ(diagnostic->feedbackLabel()->text(), QStringLiteral("Could not copy the report.")) << "kept while open";

    diagnostic->revealButton()->click();
    EXPECT_EQ(revealer->revealed, std::vector<std::filesystem::path>{fifo});
}

TEST_F(DetailsViewTest, EveryToolIsReachableByTabAndEscapeCloses)
{
    DetailsView& sheet = open();
    setState([](AppModelState& s) {
        s.initialInspectionCompleted = true;
        s.handoffReadiness = readiness(HandoffSetupKind::installRosetta, true);
        s.capability = CapabilityReport{};
        s.backup = backupOf(QStringLiteral("/m/tekkit-2"), {1});
        s.savesBackup = backupOf(QStringLiteral("/m/tekkit-2"), {1});
        s.diagnosticPreview = QStringLiteral("p");
        s.diagnosticURL = "/r/report.json";
    });
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    sheet.doneButton()->setFocus(Qt::TabFocusReason);

    std::set<QWidget*> reached;
    for (int i = 0; i < 60; ++i) {
        reached.insert(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    std::vector<QWidget*> expected{sheet.doneButton(), sheet.setupSection()->chooseInstanceButton(),
                                   sheet.setupSection()->recheckButton(), sheet.diagnosticSection()->revealButton(),
                                   sheet.diagnosticSection()->copyButton(), sheet.updatesSection()->checkButton()};
    for (auto* link : sheet.setupSection()->shownLinks())
        expected.push_back(link);
    for (const auto tool : DetailsTools::all)
        expected.push_back(sheet.toolsSection()->button(tool));
    for (QWidget* widget : expected)
        EXPECT_TRUE(reached.count(widget)) << widget->accessibleName().toStdString();

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(sheet.isVisible());
}

TEST_F(DetailsViewTest, RestoresAskFirstAndOnlyTheDestructiveChoiceRestores)
{
    DetailsView& sheet = open();
    setState([](AppModelState& s) {
        s.handoffReadiness = readiness(HandoffSetupKind::ready, true);
        s.backup = backupOf(QStringLiteral("/m/tekkit-2"), {1});
        s.savesBackup = backupOf(QStringLiteral("/m/tekkit-2"), {1000, 2000});
    });
    sheet.toolsSection()->button(DetailsTool::restoreWorlds)->click();
    QMessageBox* box = sheet.openConfirmation();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Restore worlds?"));
    EXPECT_EQ(box->informativeText(), model.worldRestorePrompt());
    EXPECT_TRUE(box->informativeText().startsWith(QStringLiteral("Restore the 2 files recorded")));
    QStringList buttons;
    for (auto* button : box->buttons())
        buttons << button->text();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Restore world backup")));
    EXPECT_TRUE(buttons.contains(QStringLiteral("Cancel")));
    for (auto* button : box->buttons())
        if (button->text() == QStringLiteral("Cancel"))
            button->click();
    test::runEventsUntil([&] { return sheet.openConfirmation() == nullptr; }, 1000);
    EXPECT_FALSE(operations->calls.contains(QStringLiteral("restoreWorlds")));

    sheet.toolsSection()->button(DetailsTool::restoreSettings)->click();
    box = sheet.openConfirmation();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Restore pre-Apply settings?"));
    EXPECT_EQ(box->informativeText(),
              QStringLiteral("Restore the settings Balanced changed from the verified snapshot taken before it first "
                             "took effect? Other settings and worlds are not changed."));
    for (auto* button : box->buttons())
        if (box->buttonRole(button) == QMessageBox::DestructiveRole)
            button->click();
    EXPECT_EQ(operations->calls.count(QStringLiteral("restoreSettings")), 1);
}

TEST_F(DetailsViewTest, ChooseFolderHandsTheChosenFolderToTheModelAndCancelStartsNothing)
{
    DetailsView& sheet = open();
    sheet.toolsSection()->button(DetailsTool::chooseFolder)->click();
    QCoreApplication::processEvents();
    ASSERT_EQ(folders->messages.size(), 1u);
    EXPECT_EQ(folders->messages[0], QStringLiteral("Choose the installed Tekkit 2 1.2.6 instance folder."));
    EXPECT_EQ(folders->acceptLabels[0], QStringLiteral("Use instance"));
    EXPECT_FALSE(operations->calls.contains(QStringLiteral("chooseInstanceFolder")));

    folders->answer = home / "Tekkit Copy";
    sheet.setupSection()->chooseInstanceButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(operations->folders, std::vector<std::filesystem::path>{home / "Tekkit Copy"});
}

TEST_F(DetailsViewTest, EachToolStartsItsOwnOperation)
{
    DetailsView& sheet = open();
    setState([](AppModelState& s) {
        s.handoffReadiness = readiness(HandoffSetupKind::ready, true);
        s.backup = backupOf(QStringLiteral("/m/tekkit-2"), {1});
        s.savesBackup = backupOf(QStringLiteral("/m/tekkit-2"), {1});
    });
    operations->calls.clear();
    struct Case {
        DetailsTool tool;
        const char* operation;
    } cases[] = {{DetailsTool::inspect, "inspect"},
                 {DetailsTool::detectMac, "checkThisMac"},
                 {DetailsTool::backUpSettings, "backUpSettings"},
                 {DetailsTool::diagnostics, "writeDiagnostic"},
                 {DetailsTool::backUpWorlds, "backUpWorlds"}};
    for (const auto& c : cases) {
        sheet.toolsSection()->button(c.tool)->click();
        EXPECT_EQ(operations->calls.value(operations->calls.size() - 1), QString::fromUtf8(c.operation));
    }
    sheet.updatesSection()->checkButton()->click();
    sheet.setupSection()->recheckButton()->click(); // hidden with no setup step pending, but wired
    EXPECT_EQ(operations->calls.mid(5), (QStringList{QStringLiteral("checkForUpdates"), QStringLiteral("performInitialInspection")}));
    sheet.toolsSection()->button(DetailsTool::restoreSettings)->click();
    EXPECT_NE(sheet.openConfirmation(), nullptr);
    EXPECT_EQ(operations->calls.size(), 7) << "a restore only asks";
}

TEST_F(DetailsViewTest, TheRealOperationsReachTheSessionThroughTheModel)
{
    // The fake session has no capability scripted, so the operation ends with its error once the gate
    // opens; the gate keeps the pool from answering before the busy state is read.
    const auto gate = session->holdNext(QStringLiteral("refreshCapability"));
    DetailsOperations::of(model)->checkThisMac();
    EXPECT_TRUE(model.busy());
    gate->release();
    ASSERT_TRUE(test::runEventsUntil([&] { return !model.busy(); }));
    EXPECT_EQ(session->callNames(), QStringList{QStringLiteral("refreshCapability")});
    EXPECT_TRUE(model.errorMessage());
}

} // namespace
} // namespace orvane
