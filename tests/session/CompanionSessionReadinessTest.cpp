#include "session/CompanionSession.h"

#include "session/SessionHarness.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

TEST(CompanionSessionReadiness, GathersWhatTheEvaluationNeeds)
{
    using Launcher = FixtureHome::Launcher;
    using Java = FixtureHome::JavaBinary;
    struct Case {
        const char* name;
        Launcher launcher;
        std::optional<Java> launcherJava; // none: no Java installed for a launcher JAR
        const char* machine;
        std::optional<QString> packVersion;
        bool archiveCopyOnly;
        HandoffSetupKind expected;
        bool planned;
    };
    const auto certified = std::optional<QString>(CertifiedPack::version);
    const Case cases[] = {
        {"an app bundle never asks for a launcher Java", Launcher::app, std::nullopt, "arm64", certified, false,
         HandoffSetupKind::applyBalanced, true},
        {"a JAR without Java", Launcher::jar, std::nullopt, "arm64", certified, false,
         HandoffSetupKind::installLauncherJava, true},
        {"a JAR on arm64 Java", Launcher::jar, Java::arm64, "arm64", certified, false,
         HandoffSetupKind::applyBalanced, true},
        {"a JAR on Intel Java on Apple silicon", Launcher::jar, Java::x86_64, "arm64", certified, false,
         HandoffSetupKind::installLauncherJava, true},
        {"a JAR on the host's own Java elsewhere", Launcher::jar, Java::x86_64, "x86_64", certified, false,
         HandoffSetupKind::applyBalanced, true},
        {"an uncertified build evaluates without a plan", Launcher::app, std::nullopt, "arm64",
         QStringLiteral("1.2.5"), false, HandoffSetupKind::selectCertifiedPack, false},
        {"an archive copy found by discovery", Launcher::app, std::nullopt, "arm64", certified, true,
         HandoffSetupKind::chooseArchiveExplicitly, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome::Options options;
        options.launcher = c.launcher;
        options.launcherJava = c.launcherJava.has_value();
        options.javaBinary = c.launcherJava.value_or(Java::arm64);
        options.instanceContent.packVersion = c.packVersion;
        options.instance = !c.archiveCopyOnly;
        FixtureHome home(options);
        if (c.archiveCopyOnly)
            home.addArchiveCopy(QStringLiteral("2026-12-01"));
        SessionHarness harness;
        harness.facts->machine = QString::fromLatin1(c.machine);
        const auto session = harness.build(home);

        const HandoffReadinessReport report = session->handoffReadiness(harness.environment);
        EXPECT_EQ(report.setupKind, c.expected);
        EXPECT_FALSE(report.technicRunning);
        // The capability and the inspection it measured are kept; readiness changes no file.
        ASSERT_TRUE(session->lastCapability());
        EXPECT_EQ(session->lastCapability()->architecture, QString::fromLatin1(c.machine));
        ASSERT_TRUE(session->lastInspection());
        EXPECT_EQ(report.canApplyBalanced, c.planned && !c.archiveCopyOnly);
    }

    // Running processes are asked for, not assumed.
    FixtureHome home;
    SessionHarness harness;
    harness.processes = std::make_shared<FakeProcessInspector>(
        std::vector<FakeProcessInspector::Answers>{FakeProcessInspector::technicAndGame(QStringLiteral("x86_64"), true)});
    const HandoffReadinessReport report = harness.build(home)->handoffReadiness(harness.environment);
    EXPECT_TRUE(report.technicRunning);
    EXPECT_TRUE(report.minecraftRunning);
    EXPECT_EQ(report.setupKind, HandoffSetupKind::quitRunning);
}
