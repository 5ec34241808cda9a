#include "technic/InstanceDiscovery.h"

#include "platform/FileOperations.h"
#include "support/FixtureHome.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

FixtureHome::Instance withVersion(const QString& version)
{
    FixtureHome::Instance content;
    content.packVersion = version;
    return content;
}

InstanceDiscovery discoveryFor(const FixtureHome& home)
{
    return InstanceDiscovery(FileOperations::system(), home.home());
}

} // namespace

TEST(InstanceDiscovery, CertificationLooksOnlyAtThePackVersionString)
{
    FixtureHome home;
    const auto discovery = discoveryFor(home);
    EXPECT_TRUE(discovery.isCertifiedInstance(home.instanceRoot()));

    FixtureHome::Instance content;
    content.forgeId = QStringLiteral("1.12.2-forge-14.23.5.2847"); // Forge is not looked at here
    EXPECT_TRUE(discovery.isCertifiedInstance(home.addModpacksFolder(QStringLiteral("forge"), content)));

    EXPECT_FALSE(discovery.isCertifiedInstance(home.addModpacksFolder(QStringLiteral("old"), withVersion("1.2.5"))));
    content = {};
    content.versionBytes = QByteArray(R"({"version": 1.2})");
    EXPECT_FALSE(discovery.isCertifiedInstance(home.addModpacksFolder(QStringLiteral("number"), content)));
    content.versionBytes = QByteArray("1.2.6");
    EXPECT_FALSE(discovery.isCertifiedInstance(home.addModpacksFolder(QStringLiteral("bare"), content)));
    EXPECT_FALSE(discovery.isCertifiedInstance(home.root() / "nowhere"));

    FixtureHome::makeFifo(home.instanceRoot() / "bin" / "version");
    EXPECT_FALSE(discovery.isCertifiedInstance(home.instanceRoot()));
}

TEST(InstanceDiscovery, ExplicitFolderFirstWhenCertified)
{
    FixtureHome home;
    const auto discovery = discoveryFor(home);
    const auto location = home.locator().locate();
    const auto chosen = home.addArchiveCopy(QStringLiteral("2024-05-01"));
    EXPECT_EQ(discovery.discover(location, chosen), chosen);

    // An uncertified choice is passed over, not reported.
    const auto old = home.addArchiveCopy(QStringLiteral("old"), withVersion("1.2.5"));
    EXPECT_EQ(discovery.discover(location, old), home.instanceRoot());
    EXPECT_EQ(discovery.discover(location, std::nullopt), home.instanceRoot());
}

TEST(InstanceDiscovery, ModpacksCandidatesInListOrder)
{
    FixtureHome::Options options;
    options.instanceFolder = QStringLiteral("Tekkit 2");
    FixtureHome home(options);
    const auto discovery = discoveryFor(home);
    EXPECT_EQ(discovery.modpacksCandidates(home.dataRoot()), home.instanceRoot());

    const auto tekkit2 = home.addModpacksFolder(QStringLiteral("tekkit2"));
    EXPECT_EQ(discovery.modpacksCandidates(home.dataRoot()), tekkit2);
    const auto dashed = home.addModpacksFolder(QStringLiteral("tekkit-2"));
    EXPECT_EQ(discovery.modpacksCandidates(home.dataRoot()), dashed);

    // An uncertified first candidate gives way to the next.
    home.addModpacksFolder(QStringLiteral("tekkit-2"), withVersion("1.2.5"));
    EXPECT_EQ(discovery.modpacksCandidates(home.dataRoot()), tekkit2);
}

TEST(InstanceDiscovery, ModpacksBeforeArchiveCopies)
{
    FixtureHome home;
    home.addArchiveCopy(QStringLiteral("2023-12-24"));
    EXPECT_EQ(discoveryFor(home).discover(home.locator().locate(), std::nullopt), home.instanceRoot());
}

TEST(InstanceDiscovery, ArchiveCopiesSortedAndFiltered)
{
    FixtureHome::Options options;
    options.dataFolder = FixtureHome::DataFolder::none;
    FixtureHome home(options);
    const auto discovery = discoveryFor(home);
    EXPECT_TRUE(discovery.archiveCandidates().empty());
    EXPECT_EQ(discovery.discover(home.locator().locate(), std::nullopt), std::nullopt);

    const auto may = home.addArchiveCopy(QStringLiteral("2024-05-01"));
    const auto december = home.addArchiveCopy(QStringLiteral("2023-12-24"));
    const auto hidden = home.addArchiveCopy(QStringLiteral(".hidden"));
    home.addArchiveCopy(QStringLiteral("2022-01-01"), withVersion("1.2.5"));
    FixtureHome::Instance notJson;
    notJson.versionBytes = QByteArray("{");
    home.addArchiveCopy(QStringLiteral("2021-01-01"), notJson);
    std::filesystem::create_directories(home.archiveFolder() / "2020-01-01" / "something-else");
    writeFile(home.archiveFolder() / "notes.txt", "a file entry");

    EXPECT_EQ(discovery.archiveCandidates(), (std::vector<std::filesystem::path>{hidden, december, may}));
    EXPECT_EQ(discovery.discover(TechnicLocation{}, std::nullopt), hidden);
}

TEST(InstanceDiscovery, NothingCertifiedAnywhere)
{
    FixtureHome::Options options;
    options.instanceContent.packVersion = QStringLiteral("1.2.5");
    FixtureHome home(options);
    EXPECT_EQ(discoveryFor(home).discover(home.locator().locate(), home.instanceRoot()), std::nullopt);
}
