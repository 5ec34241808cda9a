#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "ui/DetailsFakes.h"
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

using test::FakeClipboard;
using test::FakeSession;
using test::RecordingDetailsOperations;
using test::RecordingRevealer;
using test::RecordingUrlOpener;
using test::ScriptedFolderChooser;

InstallInspection certifiedInspection()
{
    InstallInspection i;
    i.technicApp = "/Users/a/Applications/Technic Launcher.app";
    i.technicRoot = "/Users/a/Library/Application Support/technic";
    i.instanceRoot = "/Users/a/Library/Application Support/technic/modpacks/tekkit-2";
    i.packSlug = QStringLiteral("tekkit-2");
    i.packVersion = QStringLiteral("1.2.6");
    i.forgeId = QStringLiteral("1.12.2-forge-14.23.5.2860");
    i.javaRequirement = QStringLiteral("1.8");
    i.runDataMemoryMB = 4096;
    i.settingsMemoryId = 6;
    i.settingsMemoryMB = 6144;
    i.javaVersionSetting = QStringLiteral("default");
    i.useMojangJava = false;
    i.options = {{QStringLiteral("renderDistance"), QStringLiteral("8")}, {QStringLiteral("enableVsync"), QStringLiteral("false")}};
    i.modFileNames = {QStringLiteral("VintageFix.jar"), QStringLiteral("Nothirium.jar"), QStringLiteral("appliedenergistics2.jar")};
    i.hasNothirium = true;
    i.hasVintageFix = true;
    i.isCertifiedPack = true;
    return i;
}

InstallInspection uncertifiedInspection()
{
    InstallInspection i;
    i.technicRoot = "/Users/a/Library/Application Support/technic";
    i.instanceRoot = "/Volumes/Archive/Tekkit Old";
    i.packSlug = QStringLiteral("tekkit-2");
    i.packVersion = QStringLiteral("1.2.5");
    i.useMojangJava = true;
    i.hasOptiFine = true;
    i.warnings = {QStringLiteral("bin/version.json is missing.")};
    return i;
}

HandoffReadinessReport readiness(HandoffSetupKind kind, bool canApplyBalanced)
{
    HandoffReadinessReport report;
    report.setupKind = kind;
    report.canApplyBalanced = canApplyBalanced;
    return report;
}

BackupManifest backupOf(const QString& instanceRoot, std::vector<std::int64_t> sizes)
{
    BackupManifest m;
    m.id = QStringLiteral("b1");
    m.instanceRoot = instanceRoot;
    m.createdAt = QDateTime(QDate(2026, 12, 8), QTime(7, 21, 8), Qt::UTC);
    for (std::size_t i = 0; i < sizes.size(); ++i)
        m.files.push_back({QString::number(i), QStringLiteral("/f%1").arg(i), QString(64, QLatin1Char('0')), sizes[i]});
    return m;
}

QStringList values(const DetailRowTexts& rows)
{
    QStringList result;
    for (const auto& row : rows)
        result << row.value;
    return result;
}

QStringList titles(const std::vector<TextButton*>& buttons)
{
    QStringList result;
    for (const auto* button : buttons)
        result << button->label();
    return result;
}

class DetailsViewTest : public ::testing::Test {
protected:
    DetailsViewTest()
        : session(std::make_shared<FakeSession>()), model(session, test::testSeams(home.path(), javaReady)),
          operations(std::make_shared<RecordingDetailsOperations>()), urls(std::make_shared<RecordingUrlOpener>()), revealer(std::make_shared<RecordingRevealer>()),
          clipboard(std::make_shared<FakeClipboard>()), folders(std::make_shared<ScriptedFolderChooser>())
    {
    }

    DetailsView& open(AccessibilitySettings look = {})
    {
        view = std::make_unique<DetailsView>(model, operations,
                                             DetailsServices{urls, revealer, clipboard, folders, FileOperations::system()},
                                             look, nullptr);
        view->show();
        return *view;
    }

    void setState(const std::function<void(AppModelState&)>& edit)
    {
        AppModelState state = model.state();
        edit(state);
        model.setStateForTesting(state);
        // The model's changed() comes from the event loop, and the sheet's layouts settle after it.
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
    }

    static bool shown(const QWidget* widget) { return widget->isVisibleTo(widget->window()); }

    test::TempDir home;
    bool javaReady = true;
    std::shared_ptr<FakeSession> session;
    AppModel model;
    std::shared_ptr<RecordingDetailsOperations> operations;
    std::shared_ptr<RecordingUrlOpener> urls;
    std::shared_ptr<RecordingRevealer> revealer;
    std::shared_ptr<FakeClipboard> clipboard;
    std::shared_ptr<ScriptedFolderChooser> folders;
    std::unique_ptr<DetailsView> view;
};

TEST_F(DetailsViewTest, InstallAndMacRowsForACertifiedAnUncertifiedAndNoInstall)
{
    struct Case {
        const char* name;
        std::optional<InstallInspection> inspection;
        std::optional<CapabilityReport> capability;
        QStringList install;
        QStringList mac;
        QStringList warnings;
        std::optional<QString> optionsTitle;
        std::optional<QString> modsTitle;
    };
    CapabilityReport m2;
    m2.chipBrand = QStringLiteral("Apple M2 Pro");
    m2.architecture = QStringLiteral("arm64");
    m2.rosettaInstalled = true;
    const QString optiFine = InstallInspection::optiFineWarningText();
    const Case cases[] = {
        {"nothing installed", std::nullopt, std::nullopt,
         {"Not selected", "Tekkit 2", "1.2.6", "No", "—", "—", "—", "Unknown", "—", "—", "—", "—", "Not found", "Not found",
          "Not found"},
         {"Checking…", "—", "Required", "Ready for this launcher"}, {}, std::nullopt, std::nullopt},
        {"certified", certifiedInspection(), m2,
         {"tekkit-2", "tekkit-2", "1.2.6", "Yes", "1.12.2-forge-14.23.5.2860", "1.8", "default", "Off",
          "runData 4096 MB · launcher 6144 MB", "6", "Nothirium · VintageFix", "3 detected",
          "/Users/a/Applications/Technic Launcher.app", "/Users/a/Library/Application Support/technic",
          "/Users/a/Library/Application Support/technic/modpacks/tekkit-2"},
         {"Apple M2 Pro", "arm64", "Ready", "Ready for this launcher"}, {}, QStringLiteral("MANAGED OPTIONS (2)"),
         QStringLiteral("DETECTED MOD FILES (3)")},
        {"uncertified", uncertifiedInspection(), std::nullopt,
         {"Tekkit Old", "tekkit-2", "1.2.5", "No", "—", "—", "—", "On", "—", "—", "OptiFine", "0 detected", "Not found",
          "/Users/a/Library/Application Support/technic", "/Volumes/Archive/Tekkit Old"},
         {"Checking…", "—", "Required", "Ready for this launcher"},
         {QStringLiteral("• bin/version.json is missing."), QStringLiteral("• ") + optiFine}, std::nullopt, std::nullopt},
    };
    DetailsView& sheet = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setState([&](AppModelState& s) {
            s.inspection = c.inspection;
            s.capability = c.capability;
        });
        EXPECT_EQ(values(sheet.installSection()->rows()->shownRows()), c.install);
        EXPECT_EQ(values(sheet.macSection()->rows()->shownRows()), c.mac);
        EXPECT_EQ(shown(sheet.warningsSection()), !c.warnings.isEmpty());
        EXPECT_EQ(sheet.warningsSection()->shownLines(), c.warnings);
        auto* options = sheet.installSection()->managedOptions();
        EXPECT_EQ(shown(options), c.optionsTitle.has_value());
        if (c.optionsTitle) {
            EXPECT_EQ(options->title(), *c.optionsTitle);
            EXPECT_FALSE(options->isExpanded());
        }
        auto* mods = sheet.installSection()->detectedModFiles();
        EXPECT_EQ(shown(mods), c.modsTitle.has_value());
        if (c.modsTitle) {
            EXPECT_EQ(mods->title(), *c.modsTitle);
        }
    }
    EXPECT_EQ(sheet.installSection()->rows()->shownRows().front().label, QStringLiteral("Instance"));
    EXPECT_EQ(sheet.installSection()->rows()->shownRows().back().label, QStringLiteral("Instance"));
}

TEST_F(DetailsViewTest, DisclosureGroupsOpenToSortedOptionsAndModFiles)
{
    DetailsView& sheet = open();
    setState([](AppModelState& s) { s.inspection = certifiedInspection(); });
    auto* options = sheet.installSection()->managedOptions();
    EXPECT_FALSE(shown(options->body()));
    options->toggle()->click();
    EXPECT_TRUE(shown(options->body()));
    EXPECT_EQ(sheet.installSection()->managedOptionRows()->shownRows(),
              (DetailRowTexts{{QStringLiteral("enableVsync"), QStringLiteral("false")},
                              {QStringLiteral("renderDistance"), QStringLiteral("8")}}));
    EXPECT_EQ(sheet.installSection()->modFileNames()->text(),
              QStringLiteral("Nothirium.jar\nVintageFix.jar\nappliedenergistics2.jar"));
}

TEST_F(DetailsViewTest, SectionsAppearWithWhatTheyShow)
{
    DetailsView& sheet = open();
    EXPECT_TRUE(shown(sheet.statusSection()));
    EXPECT_FALSE(shown(sheet.setupSection()));
    EXPECT_FALSE(shown(sheet.diagnosticSection()));
    EXPECT_FALSE(shown(sheet.backupsSection()));

    setState([&](AppModelState& s) {
        s.initialInspectionCompleted = true;
        s.handoffReadiness = readiness(HandoffSetupKind::installTekkit, false);
        s.diagnosticPreview = QStringLiteral("preview");
        s.savesBackup = backupOf(QStringLiteral("/m/tekkit-2"), {10});
    });
    EXPECT_TRUE(shown(sheet.setupSection()));
    EXPECT_TRUE(shown(sheet.backupsSection()));
    EXPECT_FALSE(shown(sheet.diagnosticSection())) << "a preview without its file";
    EXPECT_EQ(sheet.backupsSection()->rows()->shownRows(),
              (DetailRowTexts{{QStringLiteral("Worlds"), QStringLiteral("tekkit-2 · Dec 8, 2026 at 7:21 AM · 1 files · 10\u00a0bytes")}}));

    setState([&](AppModelState& s) {
        s.diagnosticURL = "/r/orvane-diagnostic-1.json";
        s.handoffReadiness = readiness(HandoffSetupKind::ready, true);
        s.errorMessage = QStringLiteral("Technic is running.");
        s.status = QStringLiteral("Technic is running.");
    });
    EXPECT_TRUE(shown(sheet.diagnosticSection()));
    EXPECT_FALSE(shown(sheet.setupSection()));
    EXPECT_EQ(sheet.statusSection()->statusLabel()->text(), QStringLiteral("Technic is running."));
    EXPECT_EQ(DetailsLook::textColor(*sheet.statusSection()->statusLabel()), OrvaneTheme::red());
}

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

TEST_F(DetailsViewTest, ASetupLinkSetsTheRecheckBeforeOpeningAndTheReturnRechecksOnce)
{
    DetailsView& sheet = open();
    setState([](AppModelState& s) {
        s.initialInspectionCompleted = true;
        s.handoffReadiness = readiness(HandoffSetupKind::installTechnic, false);
    });
    ASSERT_TRUE(shown(sheet.setupSection()));
    const auto links = sheet.setupSection()->shownLinks();
    EXPECT_EQ(titles(links), (QStringList{QStringLiteral("Get official Technic"), QStringLiteral("Install Tekkit 2")}));

    std::vector<bool> flagAtOpen;
    urls->beforeOpen = [&](const QUrl&) { flagAtOpen.push_back(sheet.recheckSetupOnForeground()); };
    links.front()->click();
    ASSERT_EQ(urls->opened.size(), 1u);
    EXPECT_EQ(urls->opened.front().path(), QStringLiteral("/download"));
    EXPECT_EQ(flagAtOpen, std::vector<bool>{true});

    const auto rechecks = [&] { return operations->calls.count(QStringLiteral("performInitialInspection")); };
    sheet.applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_TRUE(sheet.recheckSetupOnForeground());
    EXPECT_EQ(rechecks(), 0);
    sheet.applicationStateChanged(Qt::ApplicationActive);
    EXPECT_FALSE(sheet.recheckSetupOnForeground());
    EXPECT_EQ(rechecks(), 1);
    sheet.applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(rechecks(), 1) << "a second return without a link press rechecks nothing";

    sheet.openSetupLink(QStringLiteral("https://exa mple.com/bad"));
    EXPECT_FALSE(sheet.recheckSetupOnForeground());
    EXPECT_EQ(urls->opened.size(), 1u);
}

TEST_F(DetailsViewTest, SetupChecklistShowsTheQuitAndArchiveLines)
{
    DetailsView& sheet = open();
    struct Case {
        HandoffSetupKind kind;
        std::optional<QString> line;
    } cases[] = {
        {HandoffSetupKind::quitRunning,
         QStringLiteral("Quit Technic and Minecraft before Orvane applies, restores, or backs up files.")},
        {HandoffSetupKind::chooseArchiveExplicitly,
         QStringLiteral("This auto-discovered folder is an archive copy. Choose it explicitly before Orvane changes files.")},
        {HandoffSetupKind::installRosetta, std::nullopt},
    };
    for (const auto& c : cases) {
        setState([&](AppModelState& s) {
            s.initialInspectionCompleted = true;
            s.handoffReadiness = readiness(c.kind, false);
            s.capability = CapabilityReport{};
        });
        auto* line = sheet.setupSection()->warningLine();
        EXPECT_EQ(shown(line), c.line.has_value());
        if (c.line) {
            EXPECT_EQ(line->text(), *c.line);
            EXPECT_EQ(DetailsLook::textColor(*line), OrvaneTheme::amber());
        }
        EXPECT_TRUE(titles(sheet.setupSection()->shownLinks()).contains(QStringLiteral("Rosetta 2 help")));
    }
}

TEST_F(DetailsViewTest, TheUpdateSectionFollowsEveryCheckState)
{
    ReleaseManifest release;
    release.version = QStringLiteral("1.3.0");
    release.build = 52;
    release.downloadURL = QUrl(QStringLiteral("https://releases.orvane.test/downloads/Orvane-1.3.0.zip"));
    ReleaseManifest withNotes = release;
    withNotes.releaseNotesURL = QUrl(QStringLiteral("https://releases.orvane.test/notes/1.3.0"));

    struct Case {
        const char* name;
        UpdateCheckState state;
        const char* title;
        bool enabled, download, notes;
        const char* status;
        QColor color;
    };
    const QColor secondary = OrvaneTheme::textSecondary();
    const Case cases[] = {
        {"idle", UpdateCheckState::idle(), "Check for updates", true, false, false, "No automatic checks.", secondary},
        {"checking", UpdateCheckState::checking(), "Checking…", false, false, false, "Checking the release record…", secondary},
        {"current", UpdateCheckState::current(QStringLiteral("1.2.0"), 41), "Check for updates", true, false, false,
         "Orvane 1.2.0 (41) is current.", secondary},
        {"available", UpdateCheckState::available(release), "Check for updates", true, true, false,
         "Orvane 1.3.0 (52) is available. Opening it is your choice.", secondary},
        {"available with notes", UpdateCheckState::available(withNotes), "Check for updates", true, true, true,
         "Orvane 1.3.0 (52) is available. Opening it is your choice.", secondary},
        {"failed", UpdateCheckState::failed(QStringLiteral("The release record could not be read.")), "Check for updates",
         true, false, false, "The release record could not be read.", OrvaneTheme::amber()},
    };
    DetailsView& sheet = open();
    auto* updates = sheet.updatesSection();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setState([&](AppModelState& s) { s.updateCheckState = c.state; });
        EXPECT_EQ(updates->checkButton()->title(), QString::fromUtf8(c.title));
        EXPECT_EQ(updates->checkButton()->isEnabled(), c.enabled);
        EXPECT_EQ(shown(updates->downloadButton()), c.download);
        EXPECT_EQ(shown(updates->releaseNotesButton()), c.notes);
        EXPECT_EQ(updates->statusLabel()->text(), QString::fromUtf8(c.status));
        EXPECT_EQ(DetailsLook::textColor(*updates->statusLabel()), c.color);
    }
    setState([&](AppModelState& s) { s.updateCheckState = UpdateCheckState::available(withNotes); });
    updates->downloadButton()->click();
    updates->releaseNotesButton()->click();
    EXPECT_EQ(urls->opened, (std::vector<QUrl>{withNotes.downloadURL, *withNotes.releaseNotesURL}));
}

TEST_F(DetailsViewTest, TitlesAreHeadingsAndTheDisclaimerReadsInSentenceCase)
{
    DetailsView& sheet = open();
    QStringList headings;
    for (auto* heading : sheet.findChildren<HeadingLabel*>()) {
        QAccessibleInterface* element = QAccessible::queryAccessibleInterface(heading);
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(element->role(), QAccessible::Heading) << heading->text().toStdString();
        EXPECT_EQ(element->text(QAccessible::Name), heading->text());
        headings << heading->text();
    }
    for (const char* title : {"DETAILS", "STATUS", "INSTALL", "WARNINGS", "THIS MAC", "SETUP REQUIRED", "TOOLS", "DIAGNOSTIC",
                              "LATEST BACKUPS", "UPDATES", "ABOUT", "PRIVACY", "SUPPORT & UPDATES"})
        EXPECT_TRUE(headings.contains(QString::fromUtf8(title))) << title;

    QLabel* disclaimer = sheet.aboutSection()->disclaimer();
    EXPECT_EQ(disclaimer->text(),
              QStringLiteral("NOT AN OFFICIAL MINECRAFT PRODUCT. NOT APPROVED BY OR ASSOCIATED WITH MOJANG OR MICROSOFT."));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(disclaimer)->text(QAccessible::Name),
              QStringLiteral("Not an official Minecraft product. Not approved by or associated with Mojang or Microsoft."));
    EXPECT_EQ(sheet.aboutSection()->versionRow()->shownRows(),
              (DetailRowTexts{{QStringLiteral("Version"), QStringLiteral("1.2.0 (41)")}}));
    EXPECT_EQ(DetailsAboutSection::versionText(BundleInfo{QStringLiteral("1.2.0"), std::nullopt}), QStringLiteral("1.2.0 (—)"));
}

TEST_F(DetailsViewTest, IncreasedContrastTurnsTitlesAndRowLabelsWhite)
{
    DetailsView& sheet = open(AccessibilitySettings{.increasedContrast = true});
    EXPECT_EQ(DetailsLook::textColor(*sheet.installSection()->titleLabel()), QColor(Qt::white));
    DetailsView& standard = open();
    EXPECT_EQ(DetailsLook::textColor(*standard.installSection()->titleLabel()), OrvaneTheme::textSecondary());
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
              QStringLiteral("Restore the verified snapshot from before the latest Prepare? Worlds are not changed."));
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

TEST_F(DetailsViewTest, ShowingTheSheetRefreshesReadinessAndDoneCloses)
{
    DetailsView& sheet = open();
    EXPECT_EQ(operations->calls, QStringList{QStringLiteral("refreshReadiness")});
    sheet.hide();
    sheet.show();
    EXPECT_EQ(operations->calls, QStringList{QStringLiteral("refreshReadiness")}) << "once per sheet";
    EXPECT_EQ(sheet.minimumSize(), QSize(540, 520));
    EXPECT_EQ(sheet.size(), QSize(720, 680));
    EXPECT_TRUE(sheet.isModal() || sheet.windowModality() == Qt::WindowModal);
    sheet.doneButton()->click();
    EXPECT_FALSE(sheet.isVisible());
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

TEST_F(DetailsViewTest, RendersTheSheetToAPngWithTheThemeBackground)
{
    DetailsView& sheet = open();
    setState([](AppModelState& s) {
        s.initialInspectionCompleted = true;
        s.inspection = uncertifiedInspection();
        s.handoffReadiness = readiness(HandoffSetupKind::selectCertifiedPack, true);
        s.status = QStringLiteral("Inspection found Tekkit 2 1.2.5, not the certified 1.2.6.");
        s.backup = backupOf(QStringLiteral("/m/tekkit-2"), {1000, 2000});
        s.diagnosticPreview = QStringLiteral("Orvane diagnostic\nArchitecture: arm64");
        s.diagnosticURL = "/r/report.json";
    });
    const std::filesystem::path folder = std::filesystem::path(ORVANE_TEST_HELPERS_DIR) / "screenshots";
    std::filesystem::create_directories(folder);
    const QImage sheetImage = sheet.grab().toImage();
    ASSERT_TRUE(sheetImage.save(QString::fromStdString((folder / "details-sheet.png").string())));
    QWidget* page = sheet.scrollArea()->widget();
    page->resize(page->width(), page->sizeHint().height());
    ASSERT_TRUE(page->grab().save(QString::fromStdString((folder / "details-sheet-content.png").string())));

    const QColor corner = sheetImage.pixelColor(2, sheetImage.height() - 3);
    EXPECT_EQ(corner.rgb(), OrvaneTheme::background().rgb());
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

TEST(FileRevealer, OpensTheFoldersWhenNoBusAnswers)
{
    auto urls = std::make_shared<RecordingUrlOpener>();
    auto revealer = FileRevealer::freedesktop(urls, QStringLiteral("unix:path=/nonexistent/orvane-test-bus"));
    revealer->reveal("/home/a/Library/Application Support/orvane/diagnostics/orvane-diagnostic-1.json", {});
    ASSERT_TRUE(test::runEventsUntil([&] { return !urls->opened.empty(); }, 5000));
    EXPECT_EQ(urls->opened.front(), QUrl::fromLocalFile(QStringLiteral("/home/a/Library/Application Support/orvane/diagnostics")));
}

TEST(SystemClipboard, ReadsBackWhatItPuts)
{
    EXPECT_TRUE(Clipboard::system()->putText(QStringLiteral("Orvane report · é")));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Orvane report · é"));
}

} // namespace
} // namespace orvane
