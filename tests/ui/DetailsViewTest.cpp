#include "DetailsViewFixture.h"

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
#include "ui/details/DetailsUpdatesSection.h"
#include "ui/details/DetailsView.h"
#include "ui/details/DetailsWarningsSection.h"
#include "ui/details/HeadingLabel.h"
#include "ui/theme/DisclosureGroup.h"
#include "ui/theme/FlatButton.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/TextButton.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QPushButton>
#include <QScrollArea>

namespace orvane {
namespace {

using test::detailsSheet::backupOf;
using test::detailsSheet::certifiedInspection;
using test::detailsSheet::DetailsViewTest;
using test::detailsSheet::readiness;
using test::detailsSheet::titles;
using test::detailsSheet::uncertifiedInspection;
using test::detailsSheet::values;

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

} // namespace
} // namespace orvane
