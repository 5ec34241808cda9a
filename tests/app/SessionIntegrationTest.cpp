// The model over the real companion session on a fixture home, with the machine's seams faked.
#include "app/CompanionSessionPort.h"
#include "app/support/ModelHarness.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "session/SessionHarness.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>

namespace orvane {
namespace {

std::map<std::filesystem::path, QByteArray> contents(const std::vector<std::filesystem::path>& files)
{
    std::map<std::filesystem::path, QByteArray> bytes;
    for (const auto& file : files)
        bytes[file] = test::readFile(file);
    return bytes;
}

TEST(SessionIntegration, PrimaryActionAppliesBalancedOpensTechnicAndRestoreGivesBackEveryFile)
{
    const test::FixtureHome home;
    test::SessionHarness rig;
    const std::vector<std::filesystem::path> overlayFiles{home.instanceRoot() / "options.txt",
                                                          home.instanceRoot() / "bin" / "runData",
                                                          home.settingsPath()};
    const auto original = contents(overlayFiles);

    std::shared_ptr<CompanionSession> session = rig.build(home);
    AppModel model(std::make_shared<CompanionSessionPort>(session), test::testSeams(home.home()));

    ASSERT_TRUE(test::runToEnd(model, [](AppModel& m) { return m.performInitialInspection(); }));
    EXPECT_EQ(model.status(), QStringLiteral("Certified Tekkit 2 1.2.6 found. Nothing was changed."));
    ASSERT_TRUE(model.handoffReadiness());
    EXPECT_EQ(model.handoffReadiness()->setupKind, HandoffSetupKind::applyBalanced);
    EXPECT_EQ(model.primaryActionTitle(), QStringLiteral("PREPARE & OPEN TECHNIC"));

    ASSERT_TRUE(test::runToEnd(model, [](AppModel& m) { return m.performPrimaryAction(); }));
    EXPECT_EQ(model.errorMessage(), std::nullopt) << model.errorMessage()->toStdString();
    ASSERT_TRUE(model.applyResult());
    EXPECT_FALSE(model.applyResult()->changedFiles.empty());
    EXPECT_NE(contents(overlayFiles), original);
    EXPECT_EQ(rig.opener->opened(), std::vector{home.launcherPath()});
    ASSERT_TRUE(model.providerLaunchResult());
    ASSERT_TRUE(model.lastCheckLine());
    EXPECT_TRUE(model.lastCheckLine()->startsWith(QStringLiteral("LAST CHECK · "))) << model.lastCheckLine()->toStdString();
    EXPECT_TRUE(model.balancedApplied());
    EXPECT_FALSE(model.busy());
    EXPECT_FALSE(model.primaryActionInFlight());

    ASSERT_TRUE(test::runToEnd(model, [](AppModel& m) { return m.restoreSettings(); }));
    EXPECT_EQ(model.errorMessage(), std::nullopt) << model.errorMessage()->toStdString();
    ASSERT_TRUE(model.restoreResult());
    EXPECT_EQ(model.status(), model.restoreResult()->message);
    EXPECT_EQ(model.applyResult(), std::nullopt);
    EXPECT_EQ(contents(overlayFiles), original);
    EXPECT_FALSE(model.balancedApplied());
}

} // namespace
} // namespace orvane
