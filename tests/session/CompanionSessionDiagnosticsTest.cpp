#include "session/CompanionSession.h"

#include "json/JsonReader.h"
#include "model/BackupKind.h"
#include "platform/PathText.h"

#include "session/LaunchRig.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>

using namespace orvane;
using namespace orvane::test;

namespace {

QStringList lines(const QString& text)
{
    return text.split(QLatin1Char('\n'));
}

// The summary as the written bundle holds it.
DiagnosticSummary readBundle(const std::filesystem::path& file)
{
    QFile in(pathText(file));
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << file;
    return fromJson<DiagnosticSummary>(JsonReader::parse(in.readAll(), QStringLiteral("bundle")).object());
}

// Switches Qt's default locale to one with a decimal comma for the test's duration.
class GermanDefaultLocale final {
public:
    GermanDefaultLocale() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~GermanDefaultLocale() { QLocale::setDefault(m_previous); }
    GermanDefaultLocale(const GermanDefaultLocale&) = delete;
    GermanDefaultLocale& operator=(const GermanDefaultLocale&) = delete;

private:
    QLocale m_previous;
};

} // namespace

TEST(CompanionSessionDiagnostics, WithNothingInstalledTheReportFallsBackLineByLine)
{
    const GermanDefaultLocale german;
    LaunchRig::Options options;
    options.home.dataFolder = FixtureHome::DataFolder::none;
    options.home.launcher = FixtureHome::Launcher::none;
    options.chooseInstance = false;
    options.capability = std::nullopt;
    LaunchRig rig(nullptr, options);
    // Measured, since the session has no capability yet: 32 GiB, 2560 × 1600 at scale 2, Rosetta.
    const auto written = rig.session->writeDiagnostics();

    EXPECT_EQ(lines(written.summary.preview), (QStringList{
                                                  "Orvane diagnostic",
                                                  // "Chip:" is no "ip:" label: the chip is shown.
                                                  "Chip: Apple M1",
                                                  "Model: MacBookAir10,1",
                                                  "Arch: arm64 translated=false",
                                                  "Memory: 32.0 GB",
                                                  "Display: 2560x1600 scale 2.0",
                                                  "Pack: unknown Forge: unknown",
                                                  "Nothirium: false VintageFix: false OptiFine: false",
                                                  "Rosetta: true Mojang Java: unknown",
                                                  "Last backup: none",
                                                  "Last launch: none",
                                              }));
    EXPECT_FALSE(written.summary.preview.endsWith(QLatin1Char('\n')));
    EXPECT_EQ(written.summary.lastBackupId, std::nullopt);
    EXPECT_EQ(written.summary.lastLaunchResult, std::nullopt);
    EXPECT_EQ(written.summary.redactedLog, QString());
    EXPECT_EQ(written.summary.createdAt, rig.clock->currentDate());
    // The measured capability is kept for later operations.
    EXPECT_EQ(rig.session->lastCapability(), written.summary.capability);

    EXPECT_EQ(written.url.parent_path(), rig.paths().diagnostics);
    EXPECT_EQ(readBundle(written.url), written.summary);
}

TEST(CompanionSessionDiagnostics, AfterALaunchTheReportNamesTheInstallTheBackupAndTheResult)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    LaunchRig rig(provider);
    const QString sessionHome = pathText(rig.home.home());
    // A long result message with a path in the session's home: redacted, and cut to 512 characters
    // counted as the user sees them ("é" as "e" and a combining accent is one).
    const QString decomposedE = QStringLiteral("e\u0301");
    const QString message = QStringLiteral("Loaded from ") + sessionHome + QStringLiteral("/Library/x. ")
        + QString(480, QLatin1Char('a')) + decomposedE.repeated(100);
    provider->script = [&](ScriptedPlay& play, std::stop_token) {
        play.report(LaunchEventKind::completed);
        LaunchResult result = play.result(LaunchResultState::gameLoaded, message);
        result.legacyObservation->logExcerpt = QStringLiteral("[FML] mods in ") + sessionHome
            + QStringLiteral("/Library/Application Support/technic/modpacks/tekkit-2/mods");
        return result;
    };
    rig.session->launchSelectedPack({});

    const auto paths = rig.paths();
    const BackupManifest backup =
        BackupStore(paths.backups, FileOperations::system())
            .createBackup({rig.home.instanceRoot() / "options.txt"}, rig.home.instanceRoot(), BackupKind::preOverlay,
                          QStringLiteral("Before Balanced."), {});

    const auto written = rig.session->writeDiagnostics();
    const QStringList report = lines(written.summary.preview);
    ASSERT_EQ(report.size(), 11);
    EXPECT_EQ(report.mid(0, 10), (QStringList{
                                     "Orvane diagnostic",
                                     "Chip: Apple M2 Pro",
                                     "Model: Mac14,12",
                                     "Arch: arm64 translated=false",
                                     "Memory: 16.0 GB",
                                     "Display: 3024x1964 scale 2.0",
                                     "Pack: 1.2.6 Forge: 1.12.2-forge-14.23.5.2860",
                                     "Nothirium: true VintageFix: true OptiFine: false",
                                     "Rosetta: true Mojang Java: on",
                                     QStringLiteral("Last backup: ") + backup.id,
                                 }));
    const QString expectedMessage = QStringLiteral("Loaded from $HOME/Library/x. ") + QString(480, QLatin1Char('a'))
        + decomposedE.repeated(512 - 29 - 480);
    EXPECT_EQ(report[10], QStringLiteral("Last launch: tekkit-2 provider=official-technic mode=companionHandoff "
                                         "state=gameLoaded message=")
                              + expectedMessage);
    ASSERT_TRUE(written.summary.lastLaunchResult);
    EXPECT_EQ(written.summary.lastLaunchResult->message, expectedMessage);
    EXPECT_EQ(written.summary.lastBackupId, backup.id);
    ASSERT_TRUE(rig.session->lastBackup());
    EXPECT_EQ(rig.session->lastBackup()->id, backup.id);
    EXPECT_EQ(written.summary.redactedLog,
              QStringLiteral("[FML] mods in $HOME/Library/Application Support/technic/modpacks/tekkit-2/mods"));
    EXPECT_FALSE(written.summary.preview.contains(sessionHome));
    EXPECT_EQ(readBundle(written.url).preview, written.summary.preview);
}

TEST(CompanionSessionDiagnostics, SummaryLineOfALaunchResult)
{
    EXPECT_EQ(CompanionSession::launchResultSummary(LaunchResultDiagnostic{
                  PackID::tekkit2, LaunchProviderID::orvaneDirect, LaunchMode::direct, LaunchResultState::timedOut,
                  QStringLiteral("Gave up.")}),
              QStringLiteral("tekkit-2 provider=orvane-direct mode=direct state=timedOut message=Gave up."));
}

TEST(CompanionSessionDiagnostics, ADiagnosticsFolderThatIsAFileFailsAndKeepsWhatWasGathered)
{
    LaunchRig::Options options;
    options.capability = std::nullopt;
    LaunchRig rig(nullptr, options);
    std::filesystem::create_directories(rig.paths().applicationSupport);
    writeFile(rig.paths().diagnostics, "not a folder");

    EXPECT_THROW(rig.session->writeDiagnostics(), std::exception);

    // The capability and inspection gathered for the report stay stored; nothing was written.
    const auto capability = rig.session->lastCapability();
    ASSERT_TRUE(capability);
    EXPECT_EQ(capability->chipBrand, QStringLiteral("Apple M1"));
    const auto inspection = rig.session->lastInspection();
    ASSERT_TRUE(inspection);
    EXPECT_EQ(inspection->instanceRoot, rig.home.instanceRoot());
    EXPECT_TRUE(std::filesystem::is_regular_file(rig.paths().diagnostics));

    // A capability the session already had is used as it is, not measured again.
    LaunchRig kept(nullptr);
    std::filesystem::create_directories(kept.paths().applicationSupport);
    writeFile(kept.paths().diagnostics, "not a folder");
    EXPECT_THROW(kept.session->writeDiagnostics(), std::exception);
    EXPECT_EQ(kept.session->lastCapability(), sampleCapability());
}
