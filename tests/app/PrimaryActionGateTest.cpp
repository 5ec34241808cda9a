#include "model/OrvaneError.h"
#include "model/PrimaryActionGate.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <optional>
#include <variant>

using namespace orvane;

namespace {

InstallInspection inspectionWithTechnic()
{
    InstallInspection inspection;
    inspection.technicApp = std::filesystem::path("/Applications/Technic Launcher.app");
    return inspection;
}

HandoffReadinessReport report(HandoffSetupKind kind, bool canApply, bool applied,
                              std::vector<QString> requiredActions = {})
{
    HandoffReadinessReport r;
    r.setupKind = kind;
    r.canApplyBalanced = canApply;
    r.balancedApplied = applied;
    r.requiredActions = std::move(requiredActions);
    return r;
}

// The step the gate chose, or the sentence of the error it threw.
std::variant<PrimaryActionStep, QString> decide(const std::optional<InstallInspection>& inspection,
                                                const HandoffReadinessReport& r,
                                                std::optional<QString> javaIssue = std::nullopt,
                                                int* javaChecks = nullptr)
{
    try {
        return primaryActionGate(inspection, r, [&] {
            if (javaChecks)
                ++*javaChecks;
            return javaIssue;
        }, QStringLiteral("arm64"));
    } catch (const OrvaneError& error) {
        return error.description();
    }
}

const QString refused = QStringLiteral("Orvane refused to apply the overlay: ");

} // namespace

TEST(PrimaryActionGate, RefusesEachPendingStepWithItsSentence)
{
    using K = HandoffSetupKind;
    struct Case {
        const char* name;
        std::optional<InstallInspection> inspection;
        HandoffReadinessReport report;
        std::optional<QString> javaIssue;
        QString expected;
    };
    const InstallInspection noTechnic;
    const Case cases[] = {
        {"no inspection", std::nullopt, report(K::ready, true, true), {},
         OrvaneError::technicAppMissing().description()},
        {"no Technic even when Apply would be allowed", noTechnic, report(K::applyBalanced, true, false), {},
         OrvaneError::technicAppMissing().description()},
        {"launcher Java with its issue", inspectionWithTechnic(), report(K::installLauncherJava, true, false),
         QStringLiteral("JAVA_HOME does not point to Java 8."), QStringLiteral("JAVA_HOME does not point to Java 8.")},
        {"launcher Java without an issue", inspectionWithTechnic(), report(K::installLauncherJava, true, false), {},
         QStringLiteral("Arm64 Java 8 is required to open Technic.")},
        {"Rosetta", inspectionWithTechnic(), report(K::installRosetta, true, false, {QStringLiteral("Ignored.")}), {},
         refused + QStringLiteral("Rosetta 2 is required before Tekkit 2 can load its Intel-only game components.")},
        {"quit with an empty list", inspectionWithTechnic(), report(K::quitRunning, false, false), {},
         refused + QStringLiteral("Quit Technic and Minecraft before Orvane applies, restores, or backs up files.")},
        {"install Technic with a required action", inspectionWithTechnic(),
         report(K::installTechnic, false, false, {QStringLiteral("First."), QStringLiteral("Second.")}), {},
         refused + QStringLiteral("First.")},
        {"install Tekkit", inspectionWithTechnic(), report(K::installTekkit, false, false), {},
         refused + QStringLiteral("Install Tekkit 2 1.2.6 in Technic, or choose its instance folder.")},
        {"certified pack", inspectionWithTechnic(), report(K::selectCertifiedPack, false, false), {},
         refused + QStringLiteral("Choose the certified Tekkit 2 1.2.6 instance.")},
        {"archive copy", inspectionWithTechnic(), report(K::chooseArchiveExplicitly, false, false), {},
         refused
             + QStringLiteral("This auto-discovered folder is an archive copy. Choose it explicitly before Orvane "
                              "changes files.")},
        {"cannot apply, first required action", inspectionWithTechnic(),
         report(K::applyBalanced, false, false, {QStringLiteral("Quit Technic.")}), {},
         refused + QStringLiteral("Quit Technic.")},
        {"cannot apply, no required action", inspectionWithTechnic(), report(K::applyBalanced, false, false), {},
         refused + QStringLiteral("Orvane cannot apply Balanced until Technic and Minecraft are quit.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = decide(c.inspection, c.report, c.javaIssue);
        ASSERT_TRUE(std::holds_alternative<QString>(outcome));
        EXPECT_EQ(std::get<QString>(outcome), c.expected);
    }
}

TEST(PrimaryActionGate, OpensAtOnceWhenAppliedAndAppliesOtherwise)
{
    using K = HandoffSetupKind;
    int javaChecks = 0;
    EXPECT_EQ(decide(inspectionWithTechnic(), report(K::ready, false, true), {}, &javaChecks),
              (std::variant<PrimaryActionStep, QString>(PrimaryActionStep::open)));
    EXPECT_EQ(decide(inspectionWithTechnic(), report(K::applyBalanced, false, true), {}, &javaChecks),
              (std::variant<PrimaryActionStep, QString>(PrimaryActionStep::open)));
    EXPECT_EQ(decide(inspectionWithTechnic(), report(K::applyBalanced, true, false), {}, &javaChecks),
              (std::variant<PrimaryActionStep, QString>(PrimaryActionStep::applyThenOpen)));
    // The launcher's Java is checked only when the report names it as the pending step.
    EXPECT_EQ(javaChecks, 0);
}
