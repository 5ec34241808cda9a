#include "technic/InstalledPacksFile.h"

#include "json/DecodingError.h"
#include "model/OrvaneError.h"
#include "platform/FileOperations.h"
#include "support/FixtureHome.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <system_error>

using namespace orvane;
using namespace orvane::test;

using Pack = InstalledPacksFile::InstalledPack;

namespace {

const std::filesystem::path dataRoot = "/Users/someone/Library/Application Support/technic";

std::optional<std::filesystem::path> resolve(const char* directory)
{
    return InstalledPacksFile::resolveDirectory(QString::fromUtf8(directory), dataRoot);
}

} // namespace

TEST(InstalledPacksFile, ReadsTheLauncherSample)
{
    const auto file = InstalledPacksFile::read(std::filesystem::path(ORVANE_TEST_FIXTURES) / "technic/data/installedPacks",
                                               *FileOperations::system());
    ASSERT_EQ(file.installedPacks.size(), 3u);
    EXPECT_EQ(file.installedPacks.at(QStringLiteral("tekkit-2")),
              (Pack{QStringLiteral("tekkit-2"), QStringLiteral("1.2.6"), QStringLiteral("%MODPACKS%\\tekkit-2")}));
    EXPECT_EQ(file.byIndex, (std::vector<QString>{"vanilla", "tekkit-2", "attack-of-the-bteam"}));
    EXPECT_EQ(file.selected, QStringLiteral("tekkit-2"));
    const auto tekkit = file.tekkitPack();
    ASSERT_TRUE(tekkit);
    EXPECT_EQ(tekkit->first, QStringLiteral("tekkit-2"));

    // Every directory form of the sample lands where the launcher keeps that pack.
    const auto& packs = file.installedPacks;
    EXPECT_EQ(InstalledPacksFile::resolveDirectory(*packs.at(QStringLiteral("tekkit-2")).directory, dataRoot),
              dataRoot / "modpacks/tekkit-2");
    EXPECT_EQ(InstalledPacksFile::resolveDirectory(*packs.at(QStringLiteral("attack-of-the-bteam")).directory, dataRoot),
              dataRoot / "packs/attack-of-the-bteam");
}

TEST(InstalledPacksFile, LenientMembers)
{
    const auto file = InstalledPacksFile::parse(R"({
        "installedPacks": {
            "odd": "not an object",
            "noName": {"build": 7, "directory": "%MODPACKS%\\noName"},
            "full": {"name": "Full", "build": "1.0"}
        },
        "byIndex": ["full", 3],
        "selected": 4
    })");
    EXPECT_EQ(file.installedPacks.size(), 2u);
    EXPECT_EQ(file.installedPacks.count(QStringLiteral("odd")), 0u);
    EXPECT_EQ(file.installedPacks.at(QStringLiteral("noName")),
              (Pack{QStringLiteral("noName"), std::nullopt, QStringLiteral("%MODPACKS%\\noName")}));
    // byIndex that is not all strings falls back to the table's keys.
    EXPECT_EQ(file.byIndex, (std::vector<QString>{"full", "noName"}));
    EXPECT_EQ(file.selected, std::nullopt);
}

TEST(InstalledPacksFile, EmptyAndMalformedFiles)
{
    EXPECT_EQ(InstalledPacksFile::parse(QByteArray()), InstalledPacksFile{});
    EXPECT_EQ(InstalledPacksFile::parse("{}"), InstalledPacksFile{});
    EXPECT_EQ(InstalledPacksFile::parse(R"({"installedPacks": []})"), InstalledPacksFile{});
    try {
        InstalledPacksFile::parse("[1, 2]");
        FAIL() << "an array was accepted";
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, OrvaneError::io(QStringLiteral("installedPacks is not a JSON object")));
    }
    EXPECT_THROW(InstalledPacksFile::parse("{\"installedPacks\": "), DecodingError);

    TempDir dir;
    EXPECT_THROW(InstalledPacksFile::read(dir / "missing", *FileOperations::system()), std::system_error);
    FixtureHome::makeFifo(dir / "fifo");
    EXPECT_THROW(InstalledPacksFile::read(dir / "fifo", *FileOperations::system()), std::system_error);
}

TEST(InstalledPacksFile, TekkitPackByKeyOrName)
{
    InstalledPacksFile file;
    file.installedPacks.emplace(QStringLiteral("vanilla"), Pack{QStringLiteral("vanilla"), {}, {}});
    EXPECT_EQ(file.tekkitPack(), std::nullopt);

    file.installedPacks.emplace(QStringLiteral("my-pack"), Pack{QStringLiteral("Tekkit 2"), {}, {}});
    ASSERT_TRUE(file.tekkitPack());
    EXPECT_EQ(file.tekkitPack()->first, QStringLiteral("my-pack"));

    InstalledPacksFile underscored;
    underscored.installedPacks.emplace(QStringLiteral("TEKKIT_2"), Pack{QStringLiteral("unrelated"), {}, {}});
    ASSERT_TRUE(underscored.tekkitPack());
    EXPECT_EQ(underscored.tekkitPack()->first, QStringLiteral("TEKKIT_2"));

    InstalledPacksFile other;
    other.installedPacks.emplace(QStringLiteral("tekkit"), Pack{QStringLiteral("Tekkit Classic"), {}, {}});
    other.installedPacks.emplace(QStringLiteral("tekkit3"), Pack{QStringLiteral("Tekkit 3"), {}, {}});
    EXPECT_EQ(other.tekkitPack(), std::nullopt);
}

TEST(InstalledPacksFile, DirectoryForms)
{
    EXPECT_EQ(resolve("%MODPACKS%\\tekkit_2"), dataRoot / "modpacks/tekkit_2");
    EXPECT_EQ(resolve("%MODPACKS%/tekkit-2"), dataRoot / "modpacks/tekkit-2");
    EXPECT_EQ(resolve("tekkit-2"), dataRoot / "modpacks/tekkit-2");
    EXPECT_EQ(resolve("packs\\tekkit 2\\"), dataRoot / "modpacks/packs/tekkit 2");
    // The launcher's own prefix means its data folder, not a folder named "launcher" in modpacks.
    EXPECT_EQ(resolve("launcher\\packs\\tekkit-2"), dataRoot / "packs/tekkit-2");
    EXPECT_EQ(resolve("launcher/packs/tekkit-2"), dataRoot / "packs/tekkit-2");
    EXPECT_EQ(resolve("launchers\\tekkit-2"), dataRoot / "modpacks/launchers/tekkit-2");
    // Absolute paths stand as they are, with backslashes read as separators.
    EXPECT_EQ(resolve("/Volumes/Games/tekkit-2"), std::filesystem::path("/Volumes/Games/tekkit-2"));
    EXPECT_EQ(resolve("\\Volumes\\Games\\tekkit-2"), std::filesystem::path("/Volumes/Games/tekkit-2"));
    // Nothing left to name a folder.
    EXPECT_EQ(resolve(""), std::nullopt);
    EXPECT_EQ(resolve("%MODPACKS%\\"), std::nullopt);
    EXPECT_EQ(resolve("launcher\\"), std::nullopt);
}

TEST(InstalledPacksFile, FixtureHomeTableLeadsToItsInstance)
{
    for (const char* directory : {"%MODPACKS%\\tekkit_2", "launcher\\modpacks\\tekkit_2"}) {
        SCOPED_TRACE(directory);
        FixtureHome::Options options;
        options.instanceFolder = QStringLiteral("tekkit_2");
        options.packKey = QStringLiteral("tekkit_2");
        options.packDirectory = QString::fromUtf8(directory);
        FixtureHome home(options);
        const auto file = InstalledPacksFile::read(home.installedPacksPath(), *FileOperations::system());
        const auto tekkit = file.tekkitPack();
        ASSERT_TRUE(tekkit);
        EXPECT_EQ(tekkit->first, QStringLiteral("tekkit_2"));
        EXPECT_EQ(InstalledPacksFile::resolveDirectory(*tekkit->second.directory, home.dataRoot()), home.instanceRoot());
        EXPECT_EQ(file.selected, QStringLiteral("tekkit_2"));
    }
}
