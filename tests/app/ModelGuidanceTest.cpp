#include "app/support/SampleRecords.h"
#include "model/ModelGuidance.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using Display = PrimaryActionDisplayState;

HandoffReadinessReport report(HandoffSetupKind kind)
{
    HandoffReadinessReport r;
    r.setupKind = kind;
    return r;
}

PackDescriptor directPack()
{
    return PackDescriptor{*PackID::fromRawValue(QStringLiteral("lab-pack")),
                          QStringLiteral("Lab Pack"),
                          QStringLiteral("1.0"),
                          LaunchProviderID::officialTechnic,
                          LaunchMode::direct,
                          PackAvailability::available,
                          QStringLiteral("Starts in Orvane.")};
}

AppModelState withDirectPack(AppModelState state)
{
    state.availablePacks = {PackDescriptor::tekkit2, directPack()};
    state.selectedPackID = directPack().id;
    return state;
}

AppModelState afterFirstInspection(std::optional<HandoffSetupKind> kind)
{
    AppModelState state;
    state.initialInspectionCompleted = true;
    if (kind)
        state.handoffReadiness = report(*kind);
    return state;
}

struct PrimaryCase {
    const char* name;
    AppModelState state;
    Display display;
    QString title;
    QString detail;
    bool enabled;
};

void expectPrimary(const PrimaryCase& c)
{
    SCOPED_TRACE(c.name);
    EXPECT_EQ(modelGuidance::primaryActionDisplayState(c.state), c.display);
    EXPECT_EQ(modelGuidance::primaryActionTitle(c.state), c.title);
    EXPECT_EQ(modelGuidance::primaryActionDetail(c.state), c.detail);
    EXPECT_EQ(modelGuidance::primaryActionEnabled(c.state), c.enabled);
}

TEST(ModelGuidance, EveryPendingSetupStepShowsItsTitleAndTextAndOpensHelp)
{
    struct Row {
        HandoffSetupKind kind;
        QString title;
        QString text;
    };
    const std::vector<Row> rows{
        {HandoffSetupKind::installTechnic, QStringLiteral("GET TECHNIC"),
         QStringLiteral("Install official Technic and Tekkit 2, or choose an existing Tekkit 2 instance.")},
        {HandoffSetupKind::installTekkit, QStringLiteral("SELECT INSTANCE"),
         QStringLiteral("Install Tekkit 2 1.2.6 in Technic, or choose its instance folder.")},
        {HandoffSetupKind::selectCertifiedPack, QStringLiteral("CHECK INSTANCE"),
         QStringLiteral("Choose the certified Tekkit 2 1.2.6 instance.")},
        {HandoffSetupKind::installLauncherJava, QStringLiteral("JAVA 8 HELP"),
         QStringLiteral("Arm64 Zulu 8 is required to open official Technic.")},
        {HandoffSetupKind::installRosetta, QStringLiteral("ROSETTA HELP"),
         QStringLiteral("Rosetta 2 is required for Tekkit 2’s Intel-only game components.")},
        {HandoffSetupKind::chooseArchiveExplicitly, QStringLiteral("CHOOSE INSTANCE"),
         QStringLiteral("This auto-discovered folder is an archive copy. Choose it explicitly before Orvane changes files.")},
        {HandoffSetupKind::quitRunning, QStringLiteral("QUIT TO CONTINUE"),
         QStringLiteral("Quit Technic and Minecraft before Orvane applies, restores, or backs up files.")},
    };
    for (const Row& row : rows) {
        const AppModelState state = afterFirstInspection(row.kind);
        expectPrimary({enumName(row.kind).toLatin1().constData(), state, Display::blocked(row.text), row.title, row.text,
                       true});
        EXPECT_EQ(modelGuidance::requiredSetupStep(state), row.kind);
        EXPECT_EQ(modelGuidance::primaryActionBlockedReason(state), row.text);

        // Before the first inspection completes no step is pending: the same row shows as ready.
        AppModelState early = state;
        early.initialInspectionCompleted = false;
        expectPrimary({"before the first inspection", early, Display::ready(), row.title, row.text, true});
        EXPECT_FALSE(modelGuidance::requiredSetupStep(early));

        // A pending step outranks an error message.
        AppModelState failed = state;
        failed.errorMessage = QStringLiteral("Disk full.");
        expectPrimary({"with an error", failed, Display::blocked(row.text), row.title, row.text, true});
    }
}

TEST(ModelGuidance, PrimaryActionFollowsTheModelsState)
{
    const QString tryText = QStringLiteral("Technic could not be opened.");
    AppModelState certified;
    certified.inspection = InstallInspection{};
    certified.inspection->isCertifiedPack = true;

    AppModelState failed;
    failed.errorMessage = tryText;

    AppModelState preparing = afterFirstInspection(HandoffSetupKind::installRosetta);
    preparing.primaryActionInFlight = true;
    AppModelState observing = preparing;
    observing.observingLaunch = true;

    AppModelState blockedPack;
    blockedPack.availablePacks = {PackDescriptor::tekkit2};
    blockedPack.availablePacks[0].availability = PackAvailability::blocked;
    blockedPack.availablePacks[0].supportReason = QStringLiteral("Direct launch is not approved.");

    AppModelState unknownPack = afterFirstInspection(HandoffSetupKind::ready);
    unknownPack.selectedPackID = *PackID::fromRawValue(QStringLiteral("gone"));

    AppModelState directPreparing = withDirectPack({});
    directPreparing.primaryActionInFlight = true;
    AppModelState directObserving = directPreparing;
    directObserving.observingLaunch = true;

    const std::vector<PrimaryCase> cases{
        {"nothing known yet", AppModelState{}, Display::inspect(), QStringLiteral("INSPECT SETUP"),
         QStringLiteral("Find and verify the selected pack. Inspection is read-only."), true},
        {"certified, no report yet", certified, Display::ready(), QStringLiteral("PREPARE & OPEN TECHNIC"),
         QStringLiteral("Back up, apply Balanced, then open official Technic."), true},
        {"apply Balanced next", afterFirstInspection(HandoffSetupKind::applyBalanced), Display::ready(),
         QStringLiteral("PREPARE & OPEN TECHNIC"), QStringLiteral("Back up, apply Balanced, then open official Technic."),
         true},
        {"ready", afterFirstInspection(HandoffSetupKind::ready), Display::ready(), QStringLiteral("OPEN TECHNIC"),
         QStringLiteral("Open official Technic, then press Play there."), true},
        {"an error, no step", failed, Display::failed(tryText), QStringLiteral("TRY AGAIN"), tryText, true},
        {"preparing", preparing, Display::preparing(), QStringLiteral("PREPARING…"),
         QStringLiteral("Verifying setup and preparing a reversible Balanced profile."), false},
        {"watching", observing, Display::observing(), QStringLiteral("WATCHING TECHNIC…"),
         QStringLiteral("Technic is open. Select Tekkit 2 and press Play there."), false},
        {"a blocked pack", blockedPack, Display::blocked(QStringLiteral("Direct launch is not approved.")),
         QStringLiteral("SETUP REQUIRED"), QStringLiteral("Direct launch is not approved."), false},
        {"an unknown pack id is Tekkit 2", unknownPack, Display::ready(), QStringLiteral("OPEN TECHNIC"),
         QStringLiteral("Open official Technic, then press Play there."), true},
        {"direct, ready", withDirectPack({}), Display::ready(), QStringLiteral("PLAY"),
         QStringLiteral("Start Lab Pack directly in Orvane."), true},
        {"direct, preparing", directPreparing, Display::preparing(), QStringLiteral("PREPARING…"),
         QStringLiteral("Preparing Lab Pack."), false},
        {"direct, starting", directObserving, Display::observing(), QStringLiteral("STARTING…"),
         QStringLiteral("Starting Lab Pack."), false},
    };
    for (const PrimaryCase& c : cases)
        expectPrimary(c);

    EXPECT_EQ(modelGuidance::selectedPack(unknownPack), PackDescriptor::tekkit2);
    EXPECT_FALSE(modelGuidance::requiredSetupStep(withDirectPack(afterFirstInspection(HandoffSetupKind::quitRunning))));
}

TEST(ModelGuidance, LastCheckLineAndWhetherItIsAProblem)
{
    using test::sampleLaunchResult;
    using test::sampleObservation;
    using test::sampleReceipt;
    struct Case {
        const char* name;
        std::function<void(AppModelState&)> set;
        std::optional<QString> line;
        bool problem;
    };
    const std::vector<Case> cases{
        {"nothing", [](AppModelState&) {}, std::nullopt, false},
        {"handoff ready", [](AppModelState& s) { s.providerLaunchResult = sampleLaunchResult(LaunchResultState::handoffReady); },
         QStringLiteral("LAST CHECK · HANDOFF READY"), false},
        {"game started", [](AppModelState& s) { s.providerLaunchResult = sampleLaunchResult(LaunchResultState::gameStarted); },
         QStringLiteral("LAST CHECK · GAME STARTED"), false},
        {"game loaded", [](AppModelState& s) { s.providerLaunchResult = sampleLaunchResult(LaunchResultState::gameLoaded); },
         QStringLiteral("LAST CHECK · GAME LOADED"), false},
        {"failed", [](AppModelState& s) { s.providerLaunchResult = sampleLaunchResult(LaunchResultState::failed); },
         QStringLiteral("LAST CHECK · STARTUP ISSUE DETECTED"), true},
        {"timed out", [](AppModelState& s) { s.providerLaunchResult = sampleLaunchResult(LaunchResultState::timedOut); },
         QStringLiteral("LAST CHECK · STARTUP TIMED OUT"), true},
        {"cancelled", [](AppModelState& s) { s.providerLaunchResult = sampleLaunchResult(LaunchResultState::cancelled); },
         QStringLiteral("LAUNCH OBSERVATION CANCELLED."), false},
        {"a legacy result defers to its observation",
         [](AppModelState& s) {
             s.providerLaunchResult =
                 sampleLaunchResult(LaunchResultState::timedOut, sampleObservation(LaunchOutcome::forgeLoaded));
             s.launch = sampleObservation(LaunchOutcome::forgeLoaded);
         },
         QStringLiteral("LAST CHECK · FORGE LOADED"), true},
        {"a cancelled watch",
         [](AppModelState& s) {
             s.launchWasCancelled = true;
             s.launch = sampleObservation(LaunchOutcome::crashDetected);
         },
         QStringLiteral("LAUNCH OBSERVATION CANCELLED."), true},
        {"waiting for the player", [](AppModelState& s) { s.launch = sampleObservation(LaunchOutcome::openedTechnicWaitingForPlayer); },
         QStringLiteral("LAST CHECK · TECHNIC OPEN · GAME NOT DETECTED"), false},
        {"java started", [](AppModelState& s) { s.launch = sampleObservation(LaunchOutcome::javaStarted); },
         QStringLiteral("LAST CHECK · GAME JAVA STARTED"), false},
        {"technic missing", [](AppModelState& s) { s.launch = sampleObservation(LaunchOutcome::technicMissing); },
         QStringLiteral("LAST CHECK · TECHNIC NOT FOUND"), true},
        {"observation timed out", [](AppModelState& s) { s.launch = sampleObservation(LaunchOutcome::timedOut); },
         QStringLiteral("LAST CHECK · TIMEOUT (3 MIN) · GAME NOT DETECTED"), true},
        {"a receipt from disk", [](AppModelState& s) { s.persistedLaunchReceipt = sampleReceipt(LaunchOutcome::crashDetected); },
         QStringLiteral("LAST CHECK · STARTUP ISSUE DETECTED"), true},
        {"the observation before the receipt",
         [](AppModelState& s) {
             s.launch = sampleObservation(LaunchOutcome::forgeLoaded);
             s.persistedLaunchReceipt = sampleReceipt(LaunchOutcome::crashDetected);
         },
         QStringLiteral("LAST CHECK · FORGE LOADED"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppModelState state;
        c.set(state);
        EXPECT_EQ(modelGuidance::lastCheckLine(state), c.line);
        EXPECT_EQ(modelGuidance::lastCheckIsProblem(state), c.problem);
    }
}

TEST(ModelGuidance, StatusLevelTakesTheFirstRuleThatApplies)
{
    using test::sampleLaunchResult;
    using test::sampleObservation;
    using test::sampleReceipt;
    CapabilityReport arm64;
    arm64.architecture = QStringLiteral("arm64");
    arm64.rosettaInstalled = true;
    CapabilityReport noRosetta = arm64;
    noRosetta.rosettaInstalled = false;
    CapabilityReport intel = noRosetta;
    intel.architecture = QStringLiteral("x86_64");
    InstallInspection certified;
    certified.isCertifiedPack = true;
    certified.technicApp = "/Applications/TechnicLauncher.JAR";
    InstallInspection bundle = certified;
    bundle.technicApp = "/Applications/TechnicLauncher.app";

    struct Case {
        const char* name;
        std::function<void(AppModelState&)> set;
        bool javaReady;
        AppStatusLevel level;
    };
    const std::vector<Case> cases{
        {"nothing known", [](AppModelState&) {}, true, AppStatusLevel::neutral},
        {"an error first",
         [](AppModelState& s) {
             s.errorMessage = QStringLiteral("No.");
             s.busy = true;
         },
         true, AppStatusLevel::error},
        {"busy", [](AppModelState& s) { s.busy = true; }, true, AppStatusLevel::progress},
        {"watching", [](AppModelState& s) { s.observingLaunch = true; }, true, AppStatusLevel::progress},
        {"reapply for Mojang Java",
         [](AppModelState& s) {
             s.restoreResult = RestoreResult{};
             s.restoreResult->needsReapplyForMojangJava = true;
             s.providerLaunchResult = sampleLaunchResult(LaunchResultState::failed);
         },
         true, AppStatusLevel::warning},
        {"failed launch", [](AppModelState& s) { s.providerLaunchResult = sampleLaunchResult(LaunchResultState::failed); },
         true, AppStatusLevel::error},
        {"timed-out launch", [](AppModelState& s) { s.providerLaunchResult = sampleLaunchResult(LaunchResultState::timedOut); },
         true, AppStatusLevel::warning},
        {"a loaded launch goes on to the observation",
         [](AppModelState& s) {
             s.providerLaunchResult = sampleLaunchResult(LaunchResultState::gameLoaded);
             s.launch = sampleObservation(LaunchOutcome::technicMissing);
         },
         true, AppStatusLevel::error},
        {"observation timed out", [](AppModelState& s) { s.launch = sampleObservation(LaunchOutcome::timedOut); }, true,
         AppStatusLevel::warning},
        {"a fine observation goes on to the receipt",
         [](AppModelState& s) {
             s.launch = sampleObservation(LaunchOutcome::forgeLoaded);
             s.persistedLaunchReceipt = sampleReceipt(LaunchOutcome::crashDetected);
         },
         true, AppStatusLevel::error},
        {"receipt timed out", [](AppModelState& s) { s.persistedLaunchReceipt = sampleReceipt(LaunchOutcome::timedOut); },
         true, AppStatusLevel::warning},
        {"arm64 without Rosetta, pack ready",
         [&](AppModelState& s) {
             s.capability = noRosetta;
             s.inspection = certified;
         },
         true, AppStatusLevel::warning},
        {"arm64, launcher JAR without its Java",
         [&](AppModelState& s) {
             s.capability = arm64;
             s.inspection = certified;
         },
         false, AppStatusLevel::warning},
        {"arm64, launcher app needs no Java",
         [&](AppModelState& s) {
             s.capability = arm64;
             s.inspection = bundle;
         },
         false, AppStatusLevel::success},
        {"another architecture skips the Mac checks",
         [&](AppModelState& s) {
             s.capability = intel;
             s.inspection = certified;
         },
         false, AppStatusLevel::success},
        {"inspected, not certified", [](AppModelState& s) { s.inspection = InstallInspection{}; }, true,
         AppStatusLevel::warning},
        {"a direct pack is ready", [](AppModelState& s) { s = withDirectPack(s); }, true, AppStatusLevel::success},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppModelState state;
        c.set(state);
        const bool javaReady = c.javaReady;
        EXPECT_EQ(modelGuidance::statusLevel(state, [javaReady] { return javaReady; }), c.level);
    }
}

TEST(ModelGuidance, LauncherJavaIsProbedOnlyForAJarOrUnknownLauncher)
{
    struct Case {
        const char* name;
        std::optional<std::filesystem::path> technicApp;
        bool inspected;
        bool direct;
        bool probed;
    };
    const std::vector<Case> cases{
        {"no inspection", std::nullopt, false, false, true},
        {"no launcher found", std::nullopt, true, false, true},
        {"a JAR in capitals", "/home/u/TechnicLauncher.JAR", true, false, true},
        {"an application bundle", "/Applications/TechnicLauncher.app", true, false, false},
        {"a direct pack", "/home/u/TechnicLauncher.jar", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppModelState state = c.direct ? withDirectPack({}) : AppModelState{};
        if (c.inspected) {
            state.inspection = InstallInspection{};
            state.inspection->technicApp = c.technicApp;
        }
        int probes = 0;
        const bool ready = modelGuidance::launcherJavaReady(state, [&probes] {
            ++probes;
            return false;
        });
        EXPECT_EQ(probes, c.probed ? 1 : 0);
        EXPECT_EQ(ready, !c.probed);
    }
}

TEST(ModelGuidance, FileToolsPackReadinessAndTheWorldRestorePrompt)
{
    AppModelState state;
    EXPECT_FALSE(modelGuidance::canChangeFiles(state));
    EXPECT_FALSE(modelGuidance::balancedApplied(state));
    EXPECT_FALSE(modelGuidance::selectedPackReady(state));
    state.handoffReadiness = report(HandoffSetupKind::ready);
    state.handoffReadiness->canApplyBalanced = true;
    state.handoffReadiness->balancedApplied = true;
    EXPECT_TRUE(modelGuidance::canChangeFiles(state));
    EXPECT_TRUE(modelGuidance::balancedApplied(state));
    state.busy = true;
    EXPECT_FALSE(modelGuidance::canChangeFiles(state));
    state.busy = false;
    state.observingLaunch = true;
    EXPECT_FALSE(modelGuidance::canChangeFiles(state));

    state.inspection = InstallInspection{};
    state.inspection->isCertifiedPack = true;
    EXPECT_TRUE(modelGuidance::selectedPackReady(state));

    EXPECT_EQ(modelGuidance::worldRestorePrompt(state),
              QStringLiteral("Restore only the files recorded in the latest verified world backup? Files added later are "
                             "left unchanged."));
    BackupManifest saves;
    saves.createdAt = QDateTime::fromString(QStringLiteral("2026-12-08T07:21:08Z"), Qt::ISODate);
    saves.files = {BackupFile{QStringLiteral("a"), QStringLiteral("/a"), QString(64, QLatin1Char('0')), 1000},
                   BackupFile{QStringLiteral("b"), QStringLiteral("/b"), QString(64, QLatin1Char('0')), 1000}};
    state.savesBackup = saves;
    EXPECT_EQ(modelGuidance::worldRestorePrompt(state), saves.savesRestorePrompt());
    EXPECT_TRUE(modelGuidance::worldRestorePrompt(state).startsWith(
        QStringLiteral("Restore the 2 files recorded in the verified world backup from ")));
}

} // namespace
} // namespace orvane
