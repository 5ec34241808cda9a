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

TEST(TechnicLocator, DataFolderIsDotTechnicFirstThenTheMacPlaces)
{
    // Which of the three exist (a plain file of that name counts too), and which is chosen.
    struct Case {
        const char* name;
        bool dotTechnic;
        bool technic;
        bool techniclauncher;
        const char* expected; // relative to the home; nullptr: none
    } cases[] = {
        {"none", false, false, false, nullptr},
        {"only .technic", true, false, false, ".technic"},
        {"only technic", false, true, false, "Library/Application Support/technic"},
        {"only techniclauncher", false, false, true, "Library/Application Support/techniclauncher"},
        {".technic before technic", true, true, false, ".technic"},
        {".technic before techniclauncher", true, false, true, ".technic"},
        {"technic before techniclauncher", false, true, true, "Library/Application Support/technic"},
        {"all three", true, true, true, ".technic"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome home(bareHome());
        if (c.dotTechnic)
            writeFile(home.home() / ".technic", "not a folder");
        if (c.technic)
            std::filesystem::create_directories(home.home() / "Library/Application Support/technic");
        if (c.techniclauncher)
            std::filesystem::create_directories(home.home() / "Library/Application Support/techniclauncher");
        const auto expected = c.expected ? std::optional(home.home() / c.expected) : std::nullopt;
        EXPECT_EQ(home.locator().locateDataRoot(), expected);
    }
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
