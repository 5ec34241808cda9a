// Every place that judges or names the launcher's Java agrees, on an arm64 and on an x86_64 host: the
// session's readiness report, the model's launcherJavaReady, the JAVA 8 chip, the THIS MAC row, the
// setup checklist's link, the primary button's subtitle and the primary action's refusal.
#include "DetailsFakes.h"

#include "app/CompanionSessionPort.h"
#include "app/support/ModelHarness.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "model/PrimaryActionGate.h"
#include "session/SessionHarness.h"
#include "support/QtPrinters.h"
#include "ui/details/DetailRowList.h"
#include "ui/details/DetailsMacSection.h"
#include "ui/details/DetailsSetupSection.h"
#include "ui/theme/TextButton.h"
#include "ui/window/ContentViewRules.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace orvane {
namespace {

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
    const QString arm64Link = QStringLiteral(
        "https://www.azul.com/downloads/?version=java-8-lts&os=macos&architecture=arm-64-bit&package=jdk");
    const QString x86Link = QStringLiteral(
        "https://www.azul.com/downloads/?version=java-8-lts&os=macos&architecture=x86-64-bit&package=jdk");
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
        seams.environment = AppEnvironment{home.environment(), home.home(), c.host};
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
