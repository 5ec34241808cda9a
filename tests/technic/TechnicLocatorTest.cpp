#include "technic/OfficialLinks.h"
#include "technic/TechnicLocator.h"
#include "support/FixtureHome.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

FixtureHome::Options bareHome()
{
    FixtureHome::Options options;
    options.dataFolder = FixtureHome::DataFolder::none;
    options.launcher = FixtureHome::Launcher::none;
    return options;
}

void makeApp(const std::filesystem::path& path)
{
    std::filesystem::create_directories(path / "Contents");
}

} // namespace

TEST(TechnicLocator, FixtureHomeIsFoundAsInstalled)
{
    FixtureHome home;
    const TechnicLocation location = home.locator().locate();
    EXPECT_EQ(location.appURL, home.launcherPath());
    EXPECT_EQ(location.dataRoot, home.dataRoot());
}

TEST(TechnicLocator, DefaultSearchListIsSystemThenHomeApplications)
{
    const TechnicLocator locator("/Users/someone");
    EXPECT_EQ(locator.applications(),
              (std::vector<std::filesystem::path>{"/Applications", "/Users/someone/Applications"}));
    EXPECT_EQ(locator.defaultDataRoot(), std::filesystem::path("/Users/someone/Library/Application Support/technic"));
}

TEST(TechnicLocator, EveryNameIsTriedInOneFolderBeforeTheNext)
{
    FixtureHome home(bareHome());
    makeApp(home.systemApplications() / "TechnicLauncher.app");
    makeApp(home.homeApplications() / "Technic Launcher.app");
    EXPECT_EQ(home.locator().locateApplication(), home.systemApplications() / "TechnicLauncher.app");

    // Within one folder the name order decides.
    makeApp(home.systemApplications() / "Technic.app");
    makeApp(home.systemApplications() / "Technic Launcher.app");
    EXPECT_EQ(home.locator().locateApplication(), home.systemApplications() / "Technic Launcher.app");
}

TEST(TechnicLocator, ScanFindsOtherTechnicAppsWithExactExtension)
{
    FixtureHome home(bareHome());
    makeApp(home.systemApplications() / "technic.APP");
    makeApp(home.systemApplications() / "Technic Notes.txt");
    EXPECT_EQ(home.locator().locateApplication(), std::nullopt);

    makeApp(home.systemApplications() / "My TECHNIC Client.app");
    EXPECT_EQ(home.locator().locateApplication(), home.systemApplications() / "My TECHNIC Client.app");

    EXPECT_TRUE(TechnicLocator::isTechnicApplicationName("My Technic Client.app"));
    EXPECT_FALSE(TechnicLocator::isTechnicApplicationName("technic.APP"));
    EXPECT_FALSE(TechnicLocator::isTechnicApplicationName("Minecraft.app"));
    EXPECT_FALSE(TechnicLocator::isTechnicApplicationName("technic.app.zip"));
}

TEST(TechnicLocator, ApplicationsWinOverJarsAndJarsAreFoundLast)
{
    FixtureHome home(bareHome());
    writeFile(home.homeApplications() / "TechnicLauncher.jar", "PK");
    EXPECT_EQ(home.locator().locateApplication(), home.homeApplications() / "TechnicLauncher.jar");

    // A scanned application anywhere beats a JAR.
    makeApp(home.homeApplications() / "Old technic build.app");
    EXPECT_EQ(home.locator().locateApplication(), home.homeApplications() / "Old technic build.app");
}

TEST(TechnicLocator, EmptySearchListFindsNoLauncher)
{
    FixtureHome home;
    TechnicLocator locator = home.locator();
    locator.setApplications({});
    EXPECT_EQ(locator.locateApplication(), std::nullopt);
    EXPECT_EQ(locator.locate().dataRoot, home.dataRoot());
}

TEST(TechnicLocator, UnlistableFolderIsSkipped)
{
    FixtureHome home(bareHome());
    TechnicLocator locator = home.locator();
    locator.setApplications({home.root() / "missing", home.homeApplications()});
    makeApp(home.homeApplications() / "Technic Helper.app");
    EXPECT_EQ(locator.locateApplication(), home.homeApplications() / "Technic Helper.app");
}

TEST(TechnicLocator, DataFolderSearchOrder)
{
    FixtureHome home(bareHome());
    const auto technic = home.home() / "Library/Application Support/technic";
    const auto launcher = home.home() / "Library/Application Support/techniclauncher";
    const auto dot = home.home() / ".technic";
    EXPECT_EQ(home.locator().locateDataRoot(), std::nullopt);

    // A plain file of that name counts too.
    writeFile(dot, "not a folder");
    EXPECT_EQ(home.locator().locateDataRoot(), dot);
    std::filesystem::create_directories(launcher);
    EXPECT_EQ(home.locator().locateDataRoot(), launcher);
    std::filesystem::create_directories(technic);
    EXPECT_EQ(home.locator().locateDataRoot(), technic);
}

TEST(TechnicLocator, LooksAgainOnEveryCall)
{
    FixtureHome home(bareHome());
    const TechnicLocator locator = home.locator();
    EXPECT_EQ(locator.locate(), TechnicLocation{});
    makeApp(home.homeApplications() / "Technic.app");
    std::filesystem::create_directories(home.home() / ".technic");
    EXPECT_EQ(locator.locate(), (TechnicLocation{home.homeApplications() / "Technic.app", home.home() / ".technic"}));
}

TEST(OfficialLinks, PointAtTheTechnicSite)
{
    EXPECT_EQ(OfficialLinks::download().toString(), QStringLiteral("https://technicpack.net/download"));
    EXPECT_EQ(OfficialLinks::modpackPage().toString(), QStringLiteral("https://technicpack.net/modpack/tekkit-2.1935271"));
}
