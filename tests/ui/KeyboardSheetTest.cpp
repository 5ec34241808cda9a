// The details sheet driven by keys alone, as the desktop delivers them: to the sheet's window, which
// hands each key to its focused control.

#include "DetailsFakes.h"
#include "KeyboardChecks.h"

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
#include "ui/theme/TextButton.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <functional>

namespace orvane {
namespace {

using test::limePixels;
using test::press;
using test::ringDrawnAround;
using test::ringShown;

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
