// Every place that judges or names the launcher's Java agrees, on an arm64 and on an x86_64 host: the
// session's readiness report, the model's launcherJavaReady, the JAVA 8 chip, the THIS MAC row, the
// setup checklist's link, the primary button's subtitle and the primary action's refusal; and they
// agree on the JDK found through JAVA_HOME or in the JVM folder.
#include "DetailsFakes.h"

#include "app/CompanionSessionPort.h"
#include "app/support/ModelHarness.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "model/PrimaryActionGate.h"
#include "platform/FileOperations.h"
#include "platform/PathText.h"
#include "session/SessionHarness.h"
#include "support/QtPrinters.h"
#include "technic/LauncherJavaReadiness.h"
#include "ui/details/DetailRowList.h"
#include "ui/details/DetailsMacSection.h"
#include "ui/details/DetailsSetupSection.h"
#include "ui/theme/TextButton.h"
#include "ui/window/ContentViewRules.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace orvane {
namespace {

const QString arm64Link = QStringLiteral(
    "https://www.azul.com/downloads/?version=java-8-lts&os=linux&architecture=arm-64-bit&package=jdk");
const QString x86Link = QStringLiteral(
    "https://www.azul.com/downloads/?version=java-8-lts&os=linux&architecture=x86-64-bit&package=jdk");

using Binary = test::FixtureHome::JavaBinary;
using Launcher = test::FixtureHome::Launcher;

enum class Java { arm64, x86_64, java17, missing };

test::FixtureHome::Options homeWith(Launcher launcher, Java java, const QString& host)
{
    test::FixtureHome::Options options;
    options.launcher = launcher;
    options.launcherJava = java != Java::missing;
    const Binary hostBinary = host == QLatin1String("arm64") ? Binary::elfArm64 : Binary::elfX86_64;
    switch (java) {
    case Java::arm64:
        options.javaBinary = Binary::elfArm64;
        break;
    case Java::x86_64:
        options.javaBinary = Binary::elfX86_64;
        break;
    case Java::java17:
        options.javaBinary = hostBinary;
        options.javaReleaseLine = QByteArray("JAVA_VERSION=\"17.0.1\"");
        break;
    case Java::missing:
        break;
    }
    return options;
}

QString javaLinkAddress(DetailsSetupSection& section, const QString& title)
{
    QString address;
    QObject::connect(&section, &DetailsSetupSection::linkActivated, &section,
                     [&address](const QString& activated) { address = activated; });
    for (TextButton* button : section.shownLinks()) {
        if (button->label() == title)
            button->click();
    }
    return address;
}

TEST(LauncherJavaAgreement, TheSessionTheModelTheChipTheMacRowAndTheChecklistAgreeOnEveryHost)
{
    struct Case {
        const char* name;
        QString host;
        Launcher launcher;
        Java java;
        bool ready;
        QString macRow;   // the Launcher Java row when not ready
        QString linkName; // the checklist's Java link when not ready
        QString address;
    };
    const QString a = QStringLiteral("arm64");
    const QString x = QStringLiteral("x86_64");
    const QString armRow = QStringLiteral("Arm64 Java 8 required");
    const QString xRow = QStringLiteral("Java 8 required");
    const QString armName = QStringLiteral("Get arm64 Zulu 8");
    const QString xName = QStringLiteral("Get Zulu 8");
    const Case cases[] = {
        {"arm64 host, app, arm64 Java", a, Launcher::app, Java::arm64, true, armRow, armName, arm64Link},
        {"arm64 host, app, x86_64 Java", a, Launcher::app, Java::x86_64, true, armRow, armName, arm64Link},
        {"arm64 host, app, Java 17", a, Launcher::app, Java::java17, true, armRow, armName, arm64Link},
        {"arm64 host, app, no Java", a, Launcher::app, Java::missing, true, armRow, armName, arm64Link},
        {"arm64 host, JAR, arm64 Java", a, Launcher::jar, Java::arm64, true, armRow, armName, arm64Link},
        {"arm64 host, JAR, x86_64 Java", a, Launcher::jar, Java::x86_64, false, armRow, armName, arm64Link},
        {"arm64 host, JAR, Java 17", a, Launcher::jar, Java::java17, false, armRow, armName, arm64Link},
        {"arm64 host, JAR, no Java", a, Launcher::jar, Java::missing, false, armRow, armName, arm64Link},
        {"x86_64 host, app, arm64 Java", x, Launcher::app, Java::arm64, true, xRow, xName, x86Link},
        {"x86_64 host, app, x86_64 Java", x, Launcher::app, Java::x86_64, true, xRow, xName, x86Link},
        {"x86_64 host, app, Java 17", x, Launcher::app, Java::java17, true, xRow, xName, x86Link},
        {"x86_64 host, app, no Java", x, Launcher::app, Java::missing, true, xRow, xName, x86Link},
        {"x86_64 host, JAR, arm64 Java", x, Launcher::jar, Java::arm64, false, xRow, xName, x86Link},
        {"x86_64 host, JAR, x86_64 Java", x, Launcher::jar, Java::x86_64, true, xRow, xName, x86Link},
        {"x86_64 host, JAR, Java 17", x, Launcher::jar, Java::java17, false, xRow, xName, x86Link},
        {"x86_64 host, JAR, no Java", x, Launcher::jar, Java::missing, false, xRow, xName, x86Link},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const test::FixtureHome home(homeWith(c.launcher, c.java, c.host));
        test::SessionHarness rig;
        rig.facts->machine = c.host;
        rig.environment = home.environment();
        std::shared_ptr<CompanionSession> session = rig.build(home);

        AppSeams seams = test::testSeams(home.home());
        seams.environment = AppEnvironment{home.environment(), home.home(), c.host, home.jvmRoot()};
        seams.launcherJavaReady = AppSeams::launcherJavaCheck(seams.environment);
        AppModel model(std::make_shared<CompanionSessionPort>(session), seams);
        ASSERT_TRUE(test::runToEnd(model, [](AppModel& m) { return m.performInitialInspection(); }));
        ASSERT_TRUE(model.handoffReadiness());
        const HandoffReadinessReport report = *model.handoffReadiness();

        // The session.
        EXPECT_EQ(report.setupKind == HandoffSetupKind::installLauncherJava, !c.ready);
        // The model and the JAVA 8 chip.
        EXPECT_EQ(model.launcherJavaReady(), c.ready);
        EXPECT_TRUE(ContentViewRules::readinessSummary(model.state(), model.seams().launcherJavaReady)
                        .contains(c.ready ? QStringLiteral("Java 8 ready") : QStringLiteral("Java 8 missing")));
        // The THIS MAC row.
        DetailsMacSection mac(model, false, nullptr);
        const DetailRowTexts rows = mac.rows()->shownRows();
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[3].value, c.ready ? QStringLiteral("Ready for this launcher") : c.macRow);
        // The checklist's link, and where it leads.
        test::RecordingDetailsOperations operations;
        DetailsSetupSection setup(model, operations, false, nullptr);
        QStringList shown;
        for (const TextButton* button : setup.shownLinks())
            shown << button->label();
        EXPECT_EQ(shown.contains(c.linkName), !c.ready) << shown.join(QStringLiteral(", ")).toStdString();
        if (!c.ready) {
            EXPECT_EQ(javaLinkAddress(setup, c.linkName), c.address);
        }
        if (c.ready)
            continue;
        // The primary button's subtitle for the pending step.
        const QString detail = model.primaryActionDetail();
        EXPECT_EQ(detail, c.host == a ? QStringLiteral("Arm64 Zulu 8 is required to open official Technic.")
                                      : QStringLiteral("Zulu 8 is required to open official Technic."));

        // The refusal carries the check's own issue, which the session reported first.
        ASSERT_FALSE(report.requiredActions.empty());
        const QString issue = report.requiredActions.front();
        ASSERT_TRUE(test::runToEnd(model, [](AppModel& m) { return m.performPrimaryAction(); }));
        EXPECT_EQ(model.errorMessage(), issue);
        EXPECT_TRUE(rig.opener->opened().empty());
        // On an x86_64 host nothing asks for arm64 (a Java found to be arm64 is still named so).
        if (c.host == x) {
            for (const QString& text : {issue, detail, rows[3].value, c.linkName, c.address}) {
                EXPECT_FALSE(text.contains(QStringLiteral("Arm64")) || text.contains(QStringLiteral("arm64 "))
                             || text.contains(QStringLiteral("arm-64")))
                    << text.toStdString();
            }
        }
    }
}

TEST(LauncherJavaAgreement, EveryPlaceAgreesOnTheJdkFoundThroughJavaHomeOrInTheJvmFolderAndNoneNamesLibrary)
{
    enum class Setup { javaHome, mixedRoot, wrongOnly, nothing };
    struct Case {
        const char* name;
        QString host;
        Setup setup;
        const char* chosen; // under the fixture's root; empty: none
    };
    const QString a = QStringLiteral("arm64");
    const QString x = QStringLiteral("x86_64");
    const Case cases[] = {
        {"arm64 host, JAVA_HOME set", a, Setup::javaHome, "opt/jdk8"},
        {"arm64 host, Java 17 and Java 8 for both", a, Setup::mixedRoot, "jvm/temurin-8-jdk-arm64"},
        {"arm64 host, Java 8 for x86_64 only", a, Setup::wrongOnly, ""},
        {"arm64 host, nothing at all", a, Setup::nothing, ""},
        {"x86_64 host, JAVA_HOME set", x, Setup::javaHome, "opt/jdk8"},
        {"x86_64 host, Java 17 and Java 8 for both", x, Setup::mixedRoot, "jvm/temurin-8-jdk-amd64"},
        {"x86_64 host, Java 8 for arm64 only", x, Setup::wrongOnly, ""},
        {"x86_64 host, nothing at all", x, Setup::nothing, ""},
    };
    const QByteArray java8 = "JAVA_VERSION=\"1.8.0_402\"";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool arm64 = c.host == a;
        const Binary hostBinary = arm64 ? Binary::elfArm64 : Binary::elfX86_64;
        const Binary otherBinary = arm64 ? Binary::elfX86_64 : Binary::elfArm64;
        const char* suffix = arm64 ? "arm64" : "amd64";
        const char* otherSuffix = arm64 ? "amd64" : "arm64";

        // The launcher's data where Linux keeps it, so no path of the fixture holds "Library".
        test::FixtureHome::Options options;
        options.launcher = Launcher::jar;
        options.dataFolder = test::FixtureHome::DataFolder::dotTechnic;
        const test::FixtureHome home(options);
        const auto root = home.jvmRoot();
        ProcessEnvironment environment = home.environment();
        switch (c.setup) {
        case Setup::javaHome:
            test::FixtureHome::writeJdk(home.root() / "opt/jdk8", hostBinary, java8);
            test::FixtureHome::writeJdk(root / "zulu8", hostBinary, java8);
            environment[QStringLiteral("JAVA_HOME")] = pathText(home.root() / "opt/jdk8");
            break;
        case Setup::mixedRoot:
            test::FixtureHome::writeJdk(root / (std::string("temurin-8-jdk-") + suffix), hostBinary, java8);
            [[fallthrough]];
        case Setup::wrongOnly:
            test::FixtureHome::writeJdk(root / (std::string("java-17-openjdk-") + suffix), hostBinary,
                                        QByteArray("JAVA_VERSION=\"17.0.10\""));
            test::FixtureHome::writeJdk(root / (std::string("java-8-openjdk-") + otherSuffix), otherBinary, java8);
            break;
        case Setup::nothing:
            break;
        }
        const bool ready = *c.chosen != 0;

        // The chosen JDK.
        const LauncherJavaReadiness java =
            LauncherJavaReadiness::check(environment, root, c.host, *FileOperations::system());
        EXPECT_EQ(java.javaHome, ready ? home.root() / c.chosen : std::filesystem::path());
        EXPECT_EQ(java.isReady(), ready);

        test::SessionHarness rig;
        rig.facts->machine = c.host;
        rig.environment = environment;
        std::shared_ptr<CompanionSession> session = rig.build(home);
        AppSeams seams = test::testSeams(home.home());
        seams.environment = AppEnvironment{environment, home.home(), c.host, root};
        seams.launcherJavaReady = AppSeams::launcherJavaCheck(seams.environment);
        AppModel model(std::make_shared<CompanionSessionPort>(session), seams);
        ASSERT_TRUE(test::runToEnd(model, [](AppModel& m) { return m.performInitialInspection(); }));
        ASSERT_TRUE(model.handoffReadiness());
        const HandoffReadinessReport report = *model.handoffReadiness();

        // The session's readiness and the model's.
        EXPECT_EQ(report.setupKind == HandoffSetupKind::installLauncherJava, !ready);
        EXPECT_EQ(model.launcherJavaReady(), ready);
        // The THIS MAC row.
        DetailsMacSection mac(model, false, nullptr);
        const DetailRowTexts rows = mac.rows()->shownRows();
        ASSERT_EQ(rows.size(), 4u);
        EXPECT_EQ(rows[3].value, ready ? QStringLiteral("Ready for this launcher")
                                       : arm64 ? QStringLiteral("Arm64 Java 8 required") : QStringLiteral("Java 8 required"));
        // The checklist's link: the Linux download for this host, shown while no JDK is chosen.
        test::RecordingDetailsOperations operations;
        DetailsSetupSection setup(model, operations, false, nullptr);
        const QString linkName = arm64 ? QStringLiteral("Get arm64 Zulu 8") : QStringLiteral("Get Zulu 8");
        QStringList shown;
        for (const TextButton* button : setup.shownLinks())
            shown << button->label();
        EXPECT_EQ(shown.contains(linkName), !ready) << shown.join(QStringLiteral(", ")).toStdString();
        QStringList texts = shown;
        for (const QString& action : report.requiredActions)
            texts << action;
        if (!ready) {
            const QString address = javaLinkAddress(setup, linkName);
            EXPECT_EQ(address, arm64 ? arm64Link : x86Link);
            EXPECT_EQ(report.requiredActions.front(), *java.issue);
            EXPECT_TRUE(java.issue->startsWith(QStringLiteral("No Java 8 for %1 in %2.").arg(c.host, pathText(root))))
                << java.issue->toStdString();
            ASSERT_TRUE(test::runToEnd(model, [](AppModel& m) { return m.performPrimaryAction(); }));
            texts << address << model.errorMessage().value_or(QString()) << model.status() << model.primaryActionDetail();
        }

        // No text names a macOS folder.
        const std::optional<InstallInspection> inspection = session->lastInspection();
        ASSERT_TRUE(inspection);
        for (const QString& warning : inspection->warnings)
            texts << warning;
        for (const DetailRowText& row : rows)
            texts << row.value;
        for (const QString& text : texts)
            EXPECT_FALSE(text.contains(QStringLiteral("Library"))) << text.toStdString();
    }
}

TEST(LauncherJavaAgreement, TheRefusalWithoutAnIssueNamesArm64OnlyWhereArm64IsRequired)
{
    struct Case {
        const char* host;
        QString expected;
    } cases[] = {
        {"arm64", QStringLiteral("Arm64 Java 8 is required to open Technic.")},
        {"x86_64", QStringLiteral("Java 8 is required to open Technic.")},
        {"riscv64", QStringLiteral("Java 8 is required to open Technic.")},
        {"unknown", QStringLiteral("Java 8 is required to open Technic.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        const QString host = QString::fromLatin1(c.host);
        EXPECT_EQ(launcherJavaRefusal(std::nullopt, host), c.expected);
        EXPECT_EQ(launcherJavaRefusal(QStringLiteral("Its own issue."), host), QStringLiteral("Its own issue."));
    }
}

} // namespace
} // namespace orvane
