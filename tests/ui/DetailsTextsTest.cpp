#include "support/FaultyFileOperations.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "ui/details/BackupDetails.h"
#include "ui/details/DetailsTools.h"
#include "ui/details/InstallDetails.h"
#include "ui/details/MacDetails.h"
#include "ui/details/ReportCopy.h"
#include "ui/details/SetupChecklist.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>

namespace orvane {
namespace {

using test::TempDir;

TEST(InstallDetails, HeapAndOptimisationTextsJoinWhatIsPresentInOrder)
{
    struct Case {
        std::optional<std::int64_t> runData, launcher;
        bool nothirium, vintageFix, optiFine;
        const char* heap;
        const char* optimisations;
    } cases[] = {
        {std::nullopt, std::nullopt, false, false, false, "—", "None detected"},
        {4096, std::nullopt, false, true, true, "runData 4096 MB", "VintageFix · OptiFine"},
        {std::nullopt, 6144, true, false, false, "launcher 6144 MB", "Nothirium"},
        {4096, 6144, true, true, true, "runData 4096 MB · launcher 6144 MB", "Nothirium · VintageFix · OptiFine"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.heap);
        InstallInspection i;
        i.runDataMemoryMB = c.runData;
        i.settingsMemoryMB = c.launcher;
        i.hasNothirium = c.nothirium;
        i.hasVintageFix = c.vintageFix;
        i.hasOptiFine = c.optiFine;
        EXPECT_EQ(InstallDetails::heapText(i), QString::fromUtf8(c.heap));
        EXPECT_EQ(InstallDetails::optimisationText(i), QString::fromUtf8(c.optimisations));
    }
}

TEST(InstallDetails, TheInstanceRowNamesTheChosenFolderUntilAnInspectionNamesOne)
{
    EXPECT_EQ(InstallDetails::rows(std::nullopt, std::nullopt).front().value, QStringLiteral("Not selected"));
    EXPECT_EQ(InstallDetails::rows(std::nullopt, QStringLiteral("/home/a/Tekkit Copy/")).front().value,
              QStringLiteral("Tekkit Copy"));
    InstallInspection i;
    i.instanceRoot = "/data/modpacks/tekkit-2";
    EXPECT_EQ(InstallDetails::rows(i, QStringLiteral("/home/a/other")).front().value, QStringLiteral("tekkit-2"));
}

TEST(InstallDetails, DisclosureGroupsCountAndSortTheirEntries)
{
    InstallInspection i;
    EXPECT_FALSE(InstallDetails::managedOptionsTitle(i));
    EXPECT_FALSE(InstallDetails::detectedModFilesTitle(i));
    i.options = {{QStringLiteral("renderDistance"), QStringLiteral("8")}, {QStringLiteral("fboEnable"), QString()}};
    i.modFileNames = {QStringLiteral("vintagefix.jar"), QStringLiteral("Nothirium.jar"), QStringLiteral("a.jar")};
    EXPECT_EQ(InstallDetails::managedOptionsTitle(i), QStringLiteral("MANAGED OPTIONS (2)"));
    EXPECT_EQ(InstallDetails::managedOptionRows(i),
              (DetailRowTexts{{QStringLiteral("fboEnable"), QString()}, {QStringLiteral("renderDistance"), QStringLiteral("8")}}));
    EXPECT_EQ(InstallDetails::detectedModFilesTitle(i), QStringLiteral("DETECTED MOD FILES (3)"));
    EXPECT_EQ(InstallDetails::detectedModFilesText(i), QStringLiteral("Nothirium.jar\na.jar\nvintagefix.jar"));
}

TEST(InstallDetails, TheOptiFineWarningIsAddedOnceAfterTheInspectionsOwn)
{
    const QString optiFine = InstallInspection::optiFineWarningText();
    InstallInspection i;
    i.warnings = {QStringLiteral("first")};
    EXPECT_EQ(InstallDetails::warnings(i), std::vector<QString>{QStringLiteral("first")});
    i.hasOptiFine = true;
    EXPECT_EQ(InstallDetails::warnings(i), (std::vector<QString>{QStringLiteral("first"), optiFine}));
    i.warnings = {optiFine, QStringLiteral("last")};
    EXPECT_EQ(InstallDetails::warnings(i), (std::vector<QString>{optiFine, QStringLiteral("last")}));
    EXPECT_TRUE(InstallDetails::warnings(std::nullopt).empty());
}

TEST(MacDetails, RowsFallBackWhileNoCapabilityReportExists)
{
    EXPECT_EQ(MacDetails::rows(std::nullopt, false, QStringLiteral("arm64")),
              (DetailRowTexts{{QStringLiteral("Chip"), QStringLiteral("Checking…")},
                              {QStringLiteral("Architecture"), QStringLiteral("—")},
                              {QStringLiteral("Rosetta"), QStringLiteral("Required")},
                              {QStringLiteral("Launcher Java"), QStringLiteral("Arm64 Java 8 required")}}));
    CapabilityReport c;
    c.chipBrand = QStringLiteral("Apple M2");
    c.architecture = QStringLiteral("arm64");
    c.rosettaInstalled = true;
    EXPECT_EQ(MacDetails::rows(c, true, QStringLiteral("arm64")),
              (DetailRowTexts{{QStringLiteral("Chip"), QStringLiteral("Apple M2")},
                              {QStringLiteral("Architecture"), QStringLiteral("arm64")},
                              {QStringLiteral("Rosetta"), QStringLiteral("Ready")},
                              {QStringLiteral("Launcher Java"), QStringLiteral("Ready for this launcher")}}));
}

TEST(BackupDetails, ARowNamesFolderDateFileCountAndTotalSize)
{
    BackupManifest m;
    m.instanceRoot = QStringLiteral("/home/a/modpacks/tekkit-2/");
    m.createdAt = QDateTime(QDate(2026, 12, 8), QTime(19, 5, 9), Qt::UTC);
    m.files = {{QStringLiteral("a"), QStringLiteral("/a"), QString(), 1000},
               {QStringLiteral("b"), QStringLiteral("/b"), QString(), 2000}};
    EXPECT_EQ(BackupDetails::rowValue(m, QTimeZone::utc()), QStringLiteral("tekkit-2 · Dec 8, 2026 at 7:05 PM · 2 files · 3\u00a0KB"));

    const auto onlyWorlds = BackupDetails::rows(std::nullopt, m, QTimeZone::utc());
    ASSERT_EQ(onlyWorlds.size(), 1u);
    EXPECT_EQ(onlyWorlds[0].label, QStringLiteral("Worlds"));
    const auto both = BackupDetails::rows(m, m, QTimeZone::utc());
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].label, QStringLiteral("Settings"));
}

TEST(SetupChecklist, LinksFollowWhatIsMissing)
{
    const auto titles = [](const std::vector<SetupChecklist::Link>& links) {
        QStringList result;
        for (const auto& link : links)
            result << link.title;
        return result;
    };
    InstallInspection certified;
    certified.technicApp = "/Applications/TechnicLauncher.app";
    certified.instanceRoot = "/m/tekkit-2";
    certified.isCertifiedPack = true;
    InstallInspection uncertified = certified;
    uncertified.isCertifiedPack = false;
    CapabilityReport noRosetta;
    CapabilityReport rosetta;
    rosetta.rosettaInstalled = true;

    struct Case {
        const char* name;
        std::optional<InstallInspection> inspection;
        std::optional<CapabilityReport> capability;
        bool javaReady;
        QStringList expected;
    } cases[] = {
        {"before the first inspection", std::nullopt, std::nullopt, true,
         {QStringLiteral("Get official Technic"), QStringLiteral("Install Tekkit 2")}},
        {"java missing", std::nullopt, std::nullopt, false,
         {QStringLiteral("Get official Technic"), QStringLiteral("Install Tekkit 2"), QStringLiteral("Get arm64 Zulu 8")}},
        {"certified", certified, rosetta, true, {}},
        {"uncertified", uncertified, rosetta, true, {QStringLiteral("Install Tekkit 2")}},
        {"no rosetta", certified, noRosetta, true, {QStringLiteral("Rosetta 2 help")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(titles(SetupChecklist::links(c.inspection, c.capability, c.javaReady, QStringLiteral("arm64"))),
                  c.expected);
    }
    for (const auto& link : SetupChecklist::links(std::nullopt, noRosetta, false, QStringLiteral("arm64")))
        EXPECT_TRUE(QUrl(link.address, QUrl::StrictMode).isValid()) << link.address.toStdString();
    // The Linux downloads, for the host's architecture.
    struct Download {
        const char* host;
        QString query;
    } downloads[] = {
        {"arm64", QStringLiteral("version=java-8-lts&os=linux&architecture=arm-64-bit&package=jdk")},
        {"x86_64", QStringLiteral("version=java-8-lts&os=linux&architecture=x86-64-bit&package=jdk")},
        {"riscv64", QStringLiteral("version=java-8-lts&os=linux&architecture=arm-64-bit&package=jdk")},
    };
    for (const Download& d : downloads) {
        SCOPED_TRACE(d.host);
        const QUrl address(SetupChecklist::launcherJavaDownloadAddress(QString::fromLatin1(d.host)));
        EXPECT_EQ(address.host(), QStringLiteral("www.azul.com"));
        EXPECT_EQ(address.query(), d.query);
    }
}

TEST(SetupChecklist, OnlyQuitAndArchiveStepsGiveAWarningLine)
{
    EXPECT_FALSE(SetupChecklist::warningLine(std::nullopt));
    HandoffReadinessReport report;
    for (int k = 0; k <= int(HandoffSetupKind::ready); ++k) {
        report.setupKind = HandoffSetupKind(k);
        const auto line = SetupChecklist::warningLine(report);
        if (report.setupKind == HandoffSetupKind::quitRunning)
            EXPECT_EQ(line, QStringLiteral("Quit Technic and Minecraft before Orvane applies, restores, or backs up files."));
        else if (report.setupKind == HandoffSetupKind::chooseArchiveExplicitly)
            EXPECT_EQ(line, QStringLiteral("This auto-discovered folder is an archive copy. Choose it explicitly before "
                                           "Orvane changes files."));
        else
            EXPECT_FALSE(line) << k;
    }
}

TEST(DetailsTools, EnablementFollowsBusyPermissionAndBackups)
{
    using T = DetailsTool;
    const auto enabled = [](DetailsTools::Conditions c) {
        QStringList result;
        for (const auto tool : DetailsTools::all)
            if (DetailsTools::isEnabled(tool, c))
                result << DetailsTools::title(tool);
        return result;
    };
    EXPECT_EQ(enabled({.busy = true, .canChangeFiles = true, .hasSettingsBackup = true, .hasWorldBackup = true}),
              (QStringList{QStringLiteral("Choose folder"), QStringLiteral("Restore settings"), QStringLiteral("Restore worlds")}));
    EXPECT_EQ(enabled({.busy = false, .canChangeFiles = false, .hasSettingsBackup = true, .hasWorldBackup = true}),
              (QStringList{QStringLiteral("Inspect"), QStringLiteral("Detect Mac"), QStringLiteral("Choose folder"),
                           QStringLiteral("Diagnostics")}));
    EXPECT_EQ(enabled({.busy = false, .canChangeFiles = true, .hasSettingsBackup = false, .hasWorldBackup = true}).size(), 7);
    EXPECT_FALSE(DetailsTools::isEnabled(T::restoreSettings, {.canChangeFiles = true}));
    EXPECT_TRUE(DetailsTools::isDestructive(T::restoreWorlds));
    EXPECT_FALSE(DetailsTools::isDestructive(T::backUpWorlds));
}

TEST(DetailsTools, ColumnsAreAsManyOfAtLeast150AsFit)
{
    struct Case {
        int width, columns;
    } cases[] = {{0, 1}, {149, 1}, {309, 1}, {310, 2}, {470, 3}, {492, 3}, {630, 4}, {672, 4}, {1000, 6}};
    for (const auto& c : cases)
        EXPECT_EQ(DetailsTools::columnCount(c.width), c.columns) << c.width;
}

TEST(ReportCopy, ReadsTheReportAndFallsBackToThePreviewWhenItCannot)
{
    TempDir dir;
    const auto report = dir / "orvane-diagnostic-1.json";
    test::writeFile(report, "{ \"report\": \"é\" }");
    const auto fifo = dir / "fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    test::writeFile(dir / "latin1.json", QByteArray("caf\xe9"));
    test::writeFile(dir / "big.json", QByteArray(qsizetype(ReportCopy::maxReportBytes + 1), 'x'));
    auto files = FileOperations::system();

    EXPECT_EQ(ReportCopy::text(*files, report, QStringLiteral("preview")), QStringLiteral("{ \"report\": \"é\" }"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReportCopy::text(*files, fifo, QStringLiteral("preview")), QStringLiteral("preview"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    for (const char* name : {"missing.json", "latin1.json", "big.json"})
        EXPECT_EQ(ReportCopy::text(*files, dir / name, QStringLiteral("preview")), QStringLiteral("preview")) << name;

    test::FaultyFileOperations faulty;
    faulty.failOn(test::FaultyFileOperations::Op::readRegularFile, 1);
    EXPECT_EQ(ReportCopy::text(faulty, report, QStringLiteral("preview")), QStringLiteral("preview"));
}

} // namespace
} // namespace orvane
