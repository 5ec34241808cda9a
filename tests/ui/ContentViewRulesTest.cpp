#include "WindowHarness.h"

#include "app/support/SampleRecords.h"
#include "support/QtPrinters.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/window/ContentViewRules.h"

#include <gtest/gtest.h>

#include <functional>

namespace orvane {
namespace {

namespace rules = ContentViewRules;
using test::states::ready;

const LauncherJavaProbe javaReady = [] { return true; };
const LauncherJavaProbe javaMissing = [] { return false; };

PackDescriptor directPack()
{
    PackDescriptor pack = PackDescriptor::tekkit2;
    pack.id = *PackID::fromRawValue(QStringLiteral("skyfall"));
    pack.name = QStringLiteral("Skyfall");
    pack.launchMode = LaunchMode::direct;
    return pack;
}

AppModelState withDirectPack(AppModelState s)
{
    s.availablePacks = {PackDescriptor::tekkit2, directPack()};
    s.selectedPackID = directPack().id;
    return s;
}

struct Case {
    const char* name;
    std::function<void(AppModelState&)> edit;
    QString expected;
};

AppModelState edited(const Case& c)
{
    AppModelState s = ready();
    s.handoffReadiness->balancedApplied = false;
    c.edit(s);
    return s;
}

TEST(ContentViewRules, ReadinessWordTakesTheFirstMatchingRow)
{
    const std::vector<Case> cases{
        {"busy beats an error", [](AppModelState& s) { s.busy = true; s.errorMessage = QStringLiteral("x"); }, "WORKING"},
        {"watching", [](AppModelState& s) { s.observingLaunch = true; }, "WATCHING"},
        {"error", [](AppModelState& s) { s.errorMessage = QStringLiteral("x"); }, "CHECK SETUP"},
        {"setup step", [](AppModelState& s) { s.handoffReadiness->setupKind = HandoffSetupKind::installTekkit; }, "NEEDS SETUP"},
        {"blocked pack", [](AppModelState& s) { s.availablePacks[0].availability = PackAvailability::blocked; }, "NEEDS SETUP"},
        {"ready", [](AppModelState&) {}, "READY"},
        {"not certified", [](AppModelState& s) { s.inspection->isCertifiedPack = false; }, "SELECT PACK"},
        {"nothing inspected", [](AppModelState& s) { s = AppModelState{}; }, "SELECT PACK"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rules::readinessWord(edited(c)), c.expected);
    }
}

TEST(ContentViewRules, AccentIsAmberWhileSetupIsPendingElseFollowsTheStatusLevel)
{
    struct ColourCase {
        const char* name;
        std::function<void(AppModelState&)> edit;
        QColor expected;
    };
    const std::vector<ColourCase> cases{
        {"ready is lime", [](AppModelState&) {}, OrvaneTheme::lime()},
        {"setup step beats an error", [](AppModelState& s) { s.handoffReadiness->setupKind = HandoffSetupKind::installRosetta; s.errorMessage = QStringLiteral("x"); }, OrvaneTheme::warning()},
        {"error is red", [](AppModelState& s) { s.errorMessage = QStringLiteral("x"); }, OrvaneTheme::red()},
        {"busy is primary text", [](AppModelState& s) { s.busy = true; }, OrvaneTheme::textPrimary()},
        {"nothing inspected is primary text", [](AppModelState& s) { s = AppModelState{}; }, OrvaneTheme::textPrimary()},
        {"timed out is a warning", [](AppModelState& s) { s.providerLaunchResult = test::sampleLaunchResult(LaunchResultState::timedOut); }, OrvaneTheme::warning()},
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.name);
        AppModelState s = ready();
        c.edit(s);
        EXPECT_EQ(rules::accentColor(s, javaReady), c.expected);
    }
}

TEST(ContentViewRules, SubtitleFollowsItsElevenRulesInOrder)
{
    const std::vector<Case> cases{
        {"1 busy", [](AppModelState& s) { s.busy = true; s.primaryActionInFlight = true; },
         "VERIFYING SETUP AND PREPARING A REVERSIBLE BALANCED PROFILE."},
        {"2 setup step", [](AppModelState& s) { s.handoffReadiness->setupKind = HandoffSetupKind::installRosetta; },
         "ROSETTA 2 IS REQUIRED FOR TEKKIT 2’S INTEL-ONLY GAME COMPONENTS."},
        {"3 blocked pack", [](AppModelState& s) { s.availablePacks[0].availability = PackAvailability::blocked; s.availablePacks[0].supportReason = QStringLiteral("Not offered here."); },
         "NOT OFFERED HERE."},
        {"4 error", [](AppModelState& s) { s.errorMessage = QStringLiteral("Technic is running."); }, "TECHNIC IS RUNNING."},
        {"5 not ready", [](AppModelState& s) { s.inspection->isCertifiedPack = false; }, "CHOOSE A CERTIFIED TEKKIT 2 INSTANCE"},
        {"6 live event beats watching and last check", [](AppModelState& s) {
             s.observingLaunch = true; s.liveLaunchEventStatus = QStringLiteral("Technic is ready for Play.");
             s.launch = test::sampleObservation(LaunchOutcome::forgeLoaded); },
         "TECHNIC IS READY FOR PLAY."},
        {"7 watching, handoff", [](AppModelState& s) { s.observingLaunch = true; }, "ORVANE IS WATCHING STARTUP · KEEP THIS WINDOW OPEN"},
        {"8 watching, direct", [](AppModelState& s) { s = withDirectPack(s); s.observingLaunch = true; }, "ORVANE IS STARTING SKYFALL"},
        {"9 last check", [](AppModelState& s) { s.launch = test::sampleObservation(LaunchOutcome::forgeLoaded); }, "LAST CHECK · FORGE LOADED"},
        {"10 handoff", [](AppModelState&) {}, "ORVANE OPENS TECHNIC · YOU PRESS PLAY THERE · ORVANE NEVER LAUNCHES MINECRAFT"},
        {"11 direct", [](AppModelState& s) { s = withDirectPack(s); }, "ONE CLICK · ORVANE STARTS SKYFALL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rules::subtitleText(edited(c)), c.expected);
    }
}

TEST(ContentViewRules, SubtitleLabelAndColour)
{
    AppModelState s = ready();
    EXPECT_EQ(rules::subtitleAccessibilityLabel(s), rules::subtitleText(s));
    EXPECT_EQ(rules::subtitleAccessibilityHint(s), QString());
    s.launch = test::sampleObservation(LaunchOutcome::timedOut);
    EXPECT_EQ(rules::subtitleAccessibilityLabel(s), QStringLiteral("LAST CHECK · TIMEOUT (3 MIN) · GAME NOT DETECTED"))
        << "what is painted";
    EXPECT_EQ(rules::subtitleAccessibilityHint(s), s.launch->message) << "the observation's own sentence beside it";
    s.launch.reset();
    s.persistedLaunchReceipt = test::sampleReceipt(LaunchOutcome::forgeLoaded);
    EXPECT_EQ(rules::subtitleAccessibilityLabel(s), QStringLiteral("LAST CHECK · FORGE LOADED"));
    s.observingLaunch = true;
    s.primaryActionInFlight = true;
    EXPECT_EQ(rules::subtitleAccessibilityLabel(s), QStringLiteral("Technic is open. Select Tekkit 2 and press Play there."));

    AppModelState plain = ready();
    EXPECT_EQ(rules::subtitleColor(plain, javaReady, false), OrvaneTheme::textSecondary());
    EXPECT_EQ(rules::subtitleColor(plain, javaReady, true), QColor(Qt::white));
    EXPECT_EQ(rules::subtitleColor(plain, javaMissing, false), OrvaneTheme::warning()) << "the Mac needs setup";
    plain.launch = test::sampleObservation(LaunchOutcome::crashDetected);
    EXPECT_EQ(rules::subtitleColor(plain, javaReady, false), OrvaneTheme::warning()) << "a problem in the last check";
}

TEST(ContentViewRules, MacNeedsSetupOnlyForAHandoffPackOnArm64)
{
    AppModelState s = ready();
    EXPECT_FALSE(rules::macNeedsSetup(s, javaReady));
    EXPECT_TRUE(rules::macNeedsSetup(s, javaMissing));
    s.capability->rosettaInstalled = false;
    EXPECT_TRUE(rules::macNeedsSetup(s, javaReady));
    s.capability->architecture = QStringLiteral("x86_64");
    EXPECT_FALSE(rules::macNeedsSetup(s, javaMissing)) << "an Intel Mac needs no Rosetta";
    s.capability->architecture = QStringLiteral("arm64");
    EXPECT_FALSE(rules::macNeedsSetup(withDirectPack(s), javaMissing));
    s.capability.reset();
    EXPECT_FALSE(rules::macNeedsSetup(s, javaMissing));
}

TEST(ContentViewRules, AnnouncementIsTheErrorThenTheRunningDetailThenTheStatus)
{
    AppModelState s = ready();
    EXPECT_EQ(rules::announcementText(s, false, false), s.status);
    EXPECT_EQ(rules::announcementText(s, true, false), std::nullopt);
    EXPECT_EQ(rules::announcementText(s, false, true), std::nullopt);
    s.busy = true;
    s.primaryActionInFlight = true;
    EXPECT_EQ(rules::announcementText(s, false, false),
              QStringLiteral("Verifying setup and preparing a reversible Balanced profile."));
    s.errorMessage = QStringLiteral("Technic is running.");
    EXPECT_EQ(rules::announcementText(s, false, false), QStringLiteral("Technic is running."));
}

TEST(ContentViewRules, PackLabelsRestoreHintSummaryAndSpokenTitle)
{
    AppModelState s = ready();
    s.inspection->packVersion = QStringLiteral("1.2.7");
    EXPECT_EQ(rules::packVersionShown(s), QStringLiteral("1.2.7")) << "the inspected version wins";
    EXPECT_EQ(rules::packVersionShown(AppModelState{}), QStringLiteral("1.2.6"));
    EXPECT_EQ(rules::packButtonAccessibilityLabel(s), QStringLiteral("Selected pack, Tekkit 2 1.2.6"));
    EXPECT_EQ(rules::packButtonAccessibilityLabel(AppModelState{}), QStringLiteral("Tekkit 2 1.2.6, setup required"));

    EXPECT_TRUE(rules::restoreEnabled(s));
    EXPECT_EQ(rules::restoreHint(s), QStringLiteral("Requires confirmation and never changes world saves"));
    AppModelState noBackup = s;
    noBackup.backup.reset();
    EXPECT_FALSE(rules::restoreEnabled(noBackup)) << "nothing to restore, even though files may change";
    AppModelState running = s;
    running.handoffReadiness->canApplyBalanced = false;
    EXPECT_FALSE(rules::restoreEnabled(running));
    EXPECT_EQ(rules::restoreHint(running), QStringLiteral("Quit Technic and Minecraft before restoring"));
    running.handoffReadiness->requiredActions = {QStringLiteral("Quit Minecraft first."), QStringLiteral("Second.")};
    EXPECT_EQ(rules::restoreHint(running), QStringLiteral("Quit Minecraft first."));

    EXPECT_EQ(rules::readinessSummary(s, javaReady), QStringLiteral("Balanced ready, Java 8 ready, Rosetta ready"));
    AppModelState bare;
    EXPECT_EQ(rules::readinessSummary(bare, javaMissing),
              QStringLiteral("Balanced not applied, Java 8 missing, Rosetta missing"));

    EXPECT_EQ(rules::capitalisedWords(QStringLiteral("PREPARE & OPEN TECHNIC")), QStringLiteral("Prepare & Open Technic"));
    EXPECT_EQ(rules::capitalisedWords(QStringLiteral("WATCHING TECHNIC…")), QStringLiteral("Watching Technic…"));
    EXPECT_EQ(rules::capitalisedWords(QStringLiteral("JAVA 8 HELP")), QStringLiteral("Java 8 Help"));
    EXPECT_EQ(rules::watchCardTitle(s), QStringLiteral("PRESS PLAY IN TECHNIC"));
    EXPECT_EQ(rules::watchCardTitle(withDirectPack(s)), QStringLiteral("STARTING"));
}

} // namespace
} // namespace orvane
