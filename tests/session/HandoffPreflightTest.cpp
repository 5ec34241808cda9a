#include "session/HandoffPreflight.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <utility>

using namespace orvane;

namespace {

const QString kInstallTechnic =
    QStringLiteral("Install the official Technic Launcher from technicpack.net, then open it once.");
const QString kLauncherJava = QStringLiteral("Open Technic needs arm64 Java 8 in /usr/lib/jvm (or JAVA_HOME). This JVM "
                                             "runs the launcher only, not the game.");
const QString kLauncherJavaX86 = QStringLiteral("Open Technic needs Java 8 in /usr/lib/jvm (or JAVA_HOME). This JVM runs "
                                                "the launcher only, not the game.");
const QString kInstallTekkit = QStringLiteral("Open Technic, sign in, and install the official Tekkit 2 1.2.6 pack.");
const QString kCertified = QStringLiteral("Select the official Tekkit 2 1.2.6 build with Forge 14.23.5.2860. Orvane "
                                          "will not change an uncertified pack.");
const QString kRosetta =
    QStringLiteral("Install Rosetta 2 before Play. Tekkit 2's LWJGL 2 natives and Mojang Java 8 are Intel-only.");
const QString kArchive = QStringLiteral("This auto-discovered instance is an archive copy. Choose it explicitly, or "
                                        "install Tekkit 2 in official Technic.");
const QString kQuitTechnic = QStringLiteral("Quit Technic before Orvane applies or repairs settings.");
const QString kQuitMinecraft = QStringLiteral("Quit Minecraft before Orvane applies or repairs settings.");
const QString kApply = QStringLiteral("Apply Balanced. Orvane will snapshot the existing settings before changing its "
                                      "approved overlay files.");
const QString kJavaIssue = QStringLiteral("The launcher Java is x86_64; arm64 is required.");

OverlayPlan balancedPlan()
{
    OverlayPlan plan;
    plan.memorySettingsId = 6;
    plan.memoryMegabytes = 4096;
    plan.options = {{"guiScale", "2"}, {"maxFps", "60"}};
    plan.enableMojangJava = true;
    return plan;
}

// Everything present, certified and carrying the plan; nothing running.
struct Inputs {
    CapabilityReport capability;
    InstallInspection inspection;
    std::optional<OverlayPlan> plan = balancedPlan();
    std::optional<LauncherJavaReadiness> launcherJava;
    bool technicRunning = false;
    bool minecraftRunning = false;
    bool archiveAllowed = true;

    Inputs()
    {
        capability.architecture = QStringLiteral("arm64");
        capability.rosettaInstalled = true;
        inspection.technicApp = "/Applications/Technic Launcher.app";
        inspection.technicRoot = "/Users/u/Library/Application Support/technic";
        inspection.instanceRoot = "/Users/u/Library/Application Support/technic/modpacks/tekkit-2";
        inspection.isCertifiedPack = true;
        inspection.runDataMemoryMB = 4096;
        inspection.settingsMemoryId = 6;
        inspection.useMojangJava = true;
        inspection.options = {{"guiScale", "2"}, {"maxFps", "60"}, {"fov", "70"}};
    }

    HandoffReadinessReport evaluate() const
    {
        return HandoffPreflight::evaluate(capability, inspection, plan, launcherJava, technicRunning, minecraftRunning,
                                          archiveAllowed);
    }
};

LauncherJavaReadiness javaWithIssue(std::optional<QString> issue)
{
    LauncherJavaReadiness readiness;
    readiness.issue = std::move(issue);
    return readiness;
}

} // namespace

TEST(HandoffPreflight, EveryStateAndItsFirstRequiredAction)
{
    using State = HandoffReadinessState;
    using Kind = HandoffSetupKind;
    struct Case {
        const char* name;
        std::function<void(Inputs&)> change;
        State state;
        Kind kind;
        std::vector<QString> actions;
        bool canOpen;
        bool canApply;
        bool canPlay;
    };
    // The primary button title and the guidance sentence of each setup step.
    const std::map<Kind, std::pair<QString, QString>> expectedTexts = {
        {Kind::installTechnic,
         {u"GET TECHNIC"_qs, u"Install official Technic and Tekkit 2, or choose an existing Tekkit 2 instance."_qs}},
        {Kind::installTekkit,
         {u"SELECT INSTANCE"_qs, u"Install Tekkit 2 1.2.6 in Technic, or choose its instance folder."_qs}},
        {Kind::selectCertifiedPack, {u"CHECK INSTANCE"_qs, u"Choose the certified Tekkit 2 1.2.6 instance."_qs}},
        {Kind::installLauncherJava, {u"JAVA 8 HELP"_qs, u"Arm64 Zulu 8 is required to open official Technic."_qs}},
        {Kind::installRosetta,
         {u"ROSETTA HELP"_qs, u"Rosetta 2 is required for Tekkit 2\u2019s Intel-only game components."_qs}},
        {Kind::chooseArchiveExplicitly,
         {u"CHOOSE INSTANCE"_qs,
          u"This auto-discovered folder is an archive copy. Choose it explicitly before Orvane changes files."_qs}},
        {Kind::quitRunning,
         {u"QUIT TO CONTINUE"_qs, u"Quit Technic and Minecraft before Orvane applies, restores, or backs up files."_qs}},
        {Kind::applyBalanced,
         {u"PREPARE & OPEN TECHNIC"_qs, u"Back up, apply Balanced, then open official Technic."_qs}},
        {Kind::ready, {u"OPEN TECHNIC"_qs, u"Open official Technic, then press Play there."_qs}},
    };
    const auto jar = [](Inputs& in) { in.inspection.technicApp = "/Users/u/Applications/TechnicLauncher.jar"; };
    const Case cases[] = {
        {"ready", [](Inputs&) {}, State::ready, Kind::ready, {}, true, true, true},
        {"no Technic", [](Inputs& in) { in.inspection.technicApp.reset(); }, State::needsTechnic, Kind::installTechnic,
         {kInstallTechnic}, false, true, false},
        {"no instance",
         [](Inputs& in) {
             in.inspection.instanceRoot.reset();
             in.inspection.isCertifiedPack = false;
         },
         State::needsTekkitInstall, Kind::installTekkit, {kInstallTekkit}, true, false, false},
        {"not certified", [](Inputs& in) { in.inspection.isCertifiedPack = false; }, State::blocked,
         Kind::selectCertifiedPack, {kCertified}, true, false, false},
        {"JAR launcher with a Java issue",
         [&](Inputs& in) {
             jar(in);
             in.launcherJava = javaWithIssue(kJavaIssue);
         },
         State::blocked, Kind::installLauncherJava, {kJavaIssue}, false, true, false},
        {"JAR launcher never checked", jar, State::blocked, Kind::installLauncherJava, {kLauncherJava}, false, true,
         false},
        {"JAR launcher never checked on x86_64",
         [&](Inputs& in) {
             jar(in);
             in.capability.architecture = QStringLiteral("x86_64");
         },
         State::blocked, Kind::installLauncherJava, {kLauncherJavaX86}, false, true, false},
        {"JAR launcher with a Java issue while Technic runs",
         [&](Inputs& in) {
             jar(in);
             in.launcherJava = javaWithIssue(kJavaIssue);
             in.technicRunning = true;
         },
         State::blocked, Kind::installLauncherJava, {kJavaIssue, kQuitTechnic}, true, false, true},
        {"JAR launcher with a ready Java",
         [&](Inputs& in) {
             jar(in);
             in.launcherJava = javaWithIssue(std::nullopt);
         },
         State::ready, Kind::ready, {}, true, true, true},
        {"arm64 without Rosetta", [](Inputs& in) { in.capability.rosettaInstalled = false; }, State::blocked,
         Kind::installRosetta, {kRosetta}, true, true, false},
        {"archive copy not chosen", [](Inputs& in) { in.archiveAllowed = false; }, State::blocked,
         Kind::chooseArchiveExplicitly, {kArchive}, true, false, true},
        {"Minecraft running", [](Inputs& in) { in.minecraftRunning = true; }, State::needsQuit, Kind::quitRunning,
         {kQuitMinecraft}, true, false, false},
        {"Technic running with Balanced applied", [](Inputs& in) { in.technicRunning = true; }, State::needsQuit,
         Kind::ready, {kQuitTechnic}, true, false, true},
        {"Technic running before Balanced",
         [](Inputs& in) {
             in.technicRunning = true;
             in.inspection.runDataMemoryMB = 2048;
         },
         State::needsQuit, Kind::quitRunning, {kQuitTechnic}, true, false, false},
        {"Balanced not applied", [](Inputs& in) { in.inspection.runDataMemoryMB = 2048; }, State::needsBalancedApply,
         Kind::applyBalanced, {kApply}, true, true, false},
        {"no plan although the values match", [](Inputs& in) { in.plan.reset(); }, State::needsBalancedApply,
         Kind::applyBalanced, {kApply}, true, true, false},
        {"Intel without Rosetta needs no Mojang Java",
         [](Inputs& in) {
             in.capability.architecture = QStringLiteral("x86_64");
             in.capability.rosettaInstalled = false;
             in.plan->enableMojangJava = false;
             in.inspection.useMojangJava = false;
         },
         State::ready, Kind::ready, {}, true, true, true},
        {"arm64 with Mojang Java off under a plan that asks nothing",
         [](Inputs& in) {
             in.plan->enableMojangJava = false;
             in.inspection.useMojangJava = false;
         },
         State::ready, Kind::ready, {}, true, true, false},
        {"everything missing at once",
         [](Inputs& in) {
             in.inspection = {};
             in.capability.rosettaInstalled = false;
             in.archiveAllowed = false;
             in.technicRunning = true;
             in.minecraftRunning = true;
         },
         State::needsTechnic, Kind::installTechnic,
         {kInstallTechnic, kInstallTekkit, kRosetta, kArchive, kQuitTechnic, kQuitMinecraft}, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Inputs inputs;
        c.change(inputs);
        const HandoffReadinessReport report = inputs.evaluate();
        EXPECT_EQ(report.state, c.state);
        EXPECT_EQ(report.setupKind, c.kind);
        EXPECT_EQ(report.requiredActions, c.actions);
        EXPECT_EQ(report.canOpenTechnic, c.canOpen);
        EXPECT_EQ(report.canApplyBalanced, c.canApply);
        EXPECT_EQ(report.canPlayInTechnic, c.canPlay);
        EXPECT_EQ(report.technicRunning, inputs.technicRunning);
        EXPECT_EQ(report.minecraftRunning, inputs.minecraftRunning);
        EXPECT_EQ(HandoffPreflight::needsSetup(c.kind), c.kind != Kind::applyBalanced && c.kind != Kind::ready);
        const auto& [title, summary] = expectedTexts.at(c.kind);
        EXPECT_EQ(HandoffPreflight::actionTitle(c.kind), title);
        EXPECT_EQ(HandoffPreflight::summary(c.kind), summary);
    }
}

TEST(HandoffPreflight, BalancedIsAppliedOnlyWhenTheInstanceCarriesThePlan)
{
    struct Case {
        const char* name;
        std::function<void(InstallInspection&, OverlayPlan&)> change;
        bool applied;
    };
    const Case cases[] = {
        {"carries it", [](InstallInspection&, OverlayPlan&) {}, true},
        {"no instance", [](InstallInspection& i, OverlayPlan&) { i.instanceRoot.reset(); }, false},
        {"heap unknown", [](InstallInspection& i, OverlayPlan&) { i.runDataMemoryMB.reset(); }, false},
        {"other heap", [](InstallInspection& i, OverlayPlan&) { i.runDataMemoryMB = 3072; }, false},
        {"option missing", [](InstallInspection& i, OverlayPlan&) { i.options.erase("maxFps"); }, false},
        {"option differs", [](InstallInspection& i, OverlayPlan&) { i.options["guiScale"] = "3"; }, false},
        {"other memory id", [](InstallInspection& i, OverlayPlan&) { i.settingsMemoryId = 5; }, false},
        {"memory id unknown", [](InstallInspection& i, OverlayPlan&) { i.settingsMemoryId.reset(); }, false},
        {"no data folder, memory id not asked",
         [](InstallInspection& i, OverlayPlan&) {
             i.technicRoot.reset();
             i.settingsMemoryId.reset();
         },
         true},
        {"Mojang Java off when the plan turns it on", [](InstallInspection& i, OverlayPlan&) { i.useMojangJava = false; },
         false},
        {"both Mojang Java flags", [](InstallInspection&, OverlayPlan& p) { p.disableMojangJava = true; }, false},
        {"plan turns it off, it is off",
         [](InstallInspection& i, OverlayPlan& p) {
             p.enableMojangJava = false;
             p.disableMojangJava = true;
             i.useMojangJava = false;
         },
         true},
        {"plan turns it off, unknown",
         [](InstallInspection& i, OverlayPlan& p) {
             p.enableMojangJava = false;
             p.disableMojangJava = true;
             i.useMojangJava.reset();
         },
         false},
        {"plan asks nothing, unknown",
         [](InstallInspection& i, OverlayPlan& p) {
             p.enableMojangJava = false;
             i.useMojangJava.reset();
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Inputs inputs;
        OverlayPlan plan = *inputs.plan;
        c.change(inputs.inspection, plan);
        EXPECT_EQ(HandoffPreflight::isBalancedApplied(inputs.inspection, plan), c.applied);
    }
}

TEST(HandoffPreflight, RepeatedTextsAreListedOnceInFirstSeenOrder)
{
    EXPECT_EQ(HandoffPreflight::uniqued({"b", "a", "b", "c", "a"}), (std::vector<QString> {"b", "a", "c"}));
    Inputs inputs;
    inputs.inspection.warnings = {"Second.", "First.", "Second."};
    EXPECT_EQ(inputs.evaluate().warnings, (std::vector<QString> {"Second.", "First."}));
}
