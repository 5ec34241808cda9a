// Where the application, wired as it ships, keeps what it writes: the XDG data folder of the
// environment it was started with, and nothing under ~/Library.
#include "app/CompanionSessionPort.h"
#include "app/support/ModelHarness.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "platform/PathText.h"
#include "support/FixtureHome.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    return isContained(standardised(path), standardised(folder));
}

TEST(OrvaneDataFolder, BackupsAndDiagnosticsLandInTheXdgDataFolderAndNothingUnderLibrary)
{
    struct Case {
        const char* name;
        std::optional<std::filesystem::path> xdgDataHome; // relative to the home; none: unset
        std::filesystem::path expected;                   // relative to the home
    } cases[] = {
        {"XDG_DATA_HOME set", std::filesystem::path("data"), "data/orvane"},
        {"XDG_DATA_HOME unset", std::nullopt, ".local/share/orvane"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The launcher's data in ~/.technic, as on Linux, so the fixture itself makes no ~/Library.
        test::FixtureHome::Options options;
        options.dataFolder = test::FixtureHome::DataFolder::dotTechnic;
        const test::FixtureHome home(options);

        AppSeams seams = test::testSeams(home.home());
        if (c.xdgDataHome)
            seams.environment.environment[QStringLiteral("XDG_DATA_HOME")] = pathText(home.home() / *c.xdgDataHome);
        seams.environment.hostArchitecture = QStringLiteral("x86_64");
        AppModel model(CompanionSessionPort::make(seams), seams);

        ASSERT_TRUE(test::runToEnd(model, [](AppModel& m) { return m.performInitialInspection(); }));
        ASSERT_TRUE(test::runToEnd(model, [](AppModel& m) { return m.backUpSettings(); }));
        EXPECT_EQ(model.errorMessage(), std::nullopt) << model.errorMessage()->toStdString();
        ASSERT_TRUE(test::runToEnd(model, [](AppModel& m) { return m.writeDiagnostic(); }));
        EXPECT_EQ(model.errorMessage(), std::nullopt) << model.errorMessage()->toStdString();

        const auto folder = home.home() / c.expected;
        ASSERT_TRUE(model.backup());
        EXPECT_TRUE(std::filesystem::is_directory(folder / "backups" / pathFromText(model.backup()->id)))
            << model.backup()->id.toStdString();
        ASSERT_TRUE(model.diagnosticURL());
        EXPECT_TRUE(isInside(*model.diagnosticURL(), folder / "diagnostics")) << model.diagnosticURL()->native();
        EXPECT_TRUE(std::filesystem::exists(*model.diagnosticURL()));
        EXPECT_FALSE(std::filesystem::exists(home.home() / "Library"));
    }
}

} // namespace
} // namespace orvane
