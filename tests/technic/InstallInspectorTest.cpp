#include "technic/InstallInspector.h"

#include "model/OrvaneError.h"
#include "platform/FileOperations.h"
#include "support/FixtureHome.h"
#include "technic/TechnicJavaSafety.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include <unistd.h>

using namespace orvane;
using namespace orvane::test;
using Warnings = std::vector<QString>;

namespace {

InstallInspector inspectorFor(const FixtureHome& home, bool rosetta = true)
{
    return InstallInspector(FileOperations::system(), home.jvmRoot(), {}, [rosetta] { return rosetta; },
                            QStringLiteral("arm64"));
}

InstallInspection inspect(const FixtureHome& home, std::optional<std::filesystem::path> instance = std::nullopt,
                          bool rosetta = true)
{
    return inspectorFor(home, rosetta).inspect(home.locator().locate(), instance);
}

std::filesystem::path resolve(const FixtureHome& home)
{
    return inspectorFor(home).resolveInstance(home.locator().locate());
}

template <class F>
void expectError(F&& f, const OrvaneError& expected)
{
    try {
        f();
        ADD_FAILURE() << "no error, expected: " << expected.description().toStdString();
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, expected);
    }
}

void expectVerdict(const InstallInspection& inspection, const OrvaneError& expected)
{
    expectError([&] { InstallInspector::checkCertifiedVersions(inspection); }, expected);
}

FixtureHome::Options withMods(QStringList mods)
{
    FixtureHome::Options options;
    options.instanceContent.mods = std::move(mods);
    return options;
}

const QString kNotFound = QStringLiteral("Tekkit 2 1.2.6 was not found. Install the official pack in Technic, or "
                                         "choose the instance folder that contains bin/ and options.txt.");
const QString kArchive = QStringLiteral("This looks like an archive copy. Apply Balanced will change these files. "
                                        "Prefer the live Technic instance when you have one.");
const QString kMods = QStringLiteral("Beautiful expects Nothirium and VintageFix already in the pack. Orvane will not "
                                     "add JARs.");
const QString kOptionsOf = QStringLiteral("optionsof.txt is present, which usually means OptiFine. Orvane will not "
                                          "modify OptiFine settings.");
const QString kOptiFine = QStringLiteral("OptiFine is present. Orvane will not install or update it. VintageFix and "
                                         "Nothirium both warn that OptiFine can cause glitches. Certified Balanced "
                                         "does not use shaders.");

} // namespace

TEST(InstallInspector, CertifiedInstanceOfTheFixtureHome)
{
    FixtureHome home;
    const auto inspection = inspect(home);
    EXPECT_EQ(inspection.technicApp, home.launcherPath());
    EXPECT_EQ(inspection.technicRoot, home.dataRoot());
    EXPECT_EQ(inspection.instanceRoot, home.instanceRoot());
    EXPECT_EQ(inspection.packSlug, QStringLiteral("tekkit-2"));
    EXPECT_EQ(inspection.javaRequirement, QStringLiteral("1.8"));
    EXPECT_EQ(inspection.runDataMemoryMB, 4096);
    EXPECT_EQ(inspection.settingsMemoryId, 6);
    EXPECT_EQ(inspection.settingsMemoryMB, 4096);
    EXPECT_EQ(inspection.javaVersionSetting, QStringLiteral("64bit"));
    EXPECT_EQ(inspection.options.size(), 14u); // key bindings left out
    EXPECT_EQ(inspection.options.at(QStringLiteral("lastServer")), QStringLiteral("127.0.0.1:25565"));
    EXPECT_EQ(inspection.modFileNames.front(), QStringLiteral("BuildCraft-1.12.2-7.99.24.8.jar"));
    EXPECT_TRUE(inspection.hasNothirium && inspection.hasVintageFix && !inspection.hasOptiFine);
    EXPECT_EQ(inspection.warnings, Warnings{});
    EXPECT_TRUE(inspection.isCertifiedPack);
    EXPECT_NO_THROW(InstallInspector::checkCertifiedVersions(inspection));
}

TEST(InstallInspector, ReadsTheLauncherShapedSamples)
{
    FixtureHome home;
    const auto samples = std::filesystem::path(ORVANE_TEST_FIXTURES) / "technic";
    for (const char* name : {"installedPacks", "settings.json"})
        writeFile(home.dataRoot() / name, readFile(samples / "data" / name));
    for (const char* name : {"version", "version.json", "runData"})
        writeFile(home.instanceRoot() / "bin" / name, readFile(samples / "instance" / "bin" / name));

    const auto inspection = inspect(home);
    EXPECT_EQ(inspection.instanceRoot, home.instanceRoot());
    EXPECT_EQ(inspection.forgeId, QStringLiteral("1.12.2-forge-14.23.5.2860"));
    EXPECT_EQ(inspection.runDataMemoryMB, 4096);
    EXPECT_EQ(inspection.settingsMemoryId, 6);
    EXPECT_EQ(inspection.useMojangJava, true);
    EXPECT_TRUE(inspection.isCertifiedPack);
}

TEST(InstallInspector, NotFoundAndEmptyFolder)
{
    FixtureHome::Options options;
    options.dataFolder = FixtureHome::DataFolder::none;
    FixtureHome home(options);
    InstallInspection notFound;
    notFound.technicApp = home.launcherPath();
    notFound.warnings = {kNotFound};
    EXPECT_EQ(inspect(home), notFound);
    expectVerdict(notFound, OrvaneError::tekkitMissing());

    // A chosen folder holding nothing: every file-backed field absent.
    const auto empty = home.root() / "chosen";
    std::filesystem::create_directories(empty);
    InstallInspection expected = notFound;
    expected.instanceRoot = empty;
    expected.packSlug = QStringLiteral("chosen");
    expected.warnings = {kMods};
    EXPECT_EQ(inspect(home, empty), expected);
    expectVerdict(expected, OrvaneError::unsupportedPackVersion(QStringLiteral("unknown"), QStringLiteral("1.2.6")));
}

TEST(InstallInspector, EveryWarningInItsFixedOrder)
{
    FixtureHome::Options options;
    options.launcher = FixtureHome::Launcher::jar; // and no Java for it
    options.jreLegacyLinkIntoUserJDK = true;
    FixtureHome home(options);
    FixtureHome::Instance copy;
    copy.mods = {QStringLiteral("vintagefix-0.5.3.jar"), QStringLiteral("OptiFine_1.12.2_HD_U_G5.jar")};
    copy.optionsofTxt = true;
    const auto archived = home.addArchiveCopy(QStringLiteral("2024-05-01"), copy);

    const QString noJava = QStringLiteral("No Java 8 for arm64 in %1. Install arm64 Zulu 8 or set JAVA_HOME to an "
                                          "arm64 Java 8 JDK.")
                               .arg(QString::fromStdString(home.jvmRoot().native()));
    EXPECT_EQ(inspect(home, archived, /*rosetta*/ false).warnings,
              (Warnings{kArchive, kMods, noJava, kOptionsOf, TechnicJavaSafety::jreLegacySymlinkMessage,
                        TechnicJavaSafety::rosettaMissingMessage, TechnicJavaSafety::mojangJavaWithoutRosettaMessage,
                        kOptiFine}));

    // The archive test is case-sensitive; an application launcher gets no Java check.
    options.launcher = FixtureHome::Launcher::app;
    options.jreLegacyLinkIntoUserJDK = false;
    FixtureHome appHome(options);
    const auto lower = appHome.root() / "minecraft backups" / "tekkit-2";
    FixtureHome::writeInstance(lower, FixtureHome::Instance());
    EXPECT_EQ(inspect(appHome, lower).warnings, Warnings{});
}

TEST(InstallInspector, LauncherJarJavaAndMojangJavaGuidance)
{
    FixtureHome::Options options;
    options.launcher = FixtureHome::Launcher::jar;
    options.launcherJava = true;
    options.javaBinary = FixtureHome::JavaBinary::x86_64;
    FixtureHome home(options);
    auto warnings = inspect(home).warnings;
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].startsWith(QLatin1String("No Java 8 for arm64 in ")));

    options.launcher = FixtureHome::Launcher::app;
    options.useMojangJava = false;
    EXPECT_EQ(inspect(FixtureHome(options)).warnings, Warnings{TechnicJavaSafety::mojangJavaOffMessage});

    // A setting that is not a JSON boolean is unknown: Rosetta missing is all that is said. A probe
    // that cannot answer reads as Rosetta missing too, never as an error.
    options.settingsBytes = QByteArray(R"({"useMojangJava": "false", "memory": -1})");
    FixtureHome odd(options);
    InstallInspector throwing(FileOperations::system(), odd.jvmRoot(), {},
                              []() -> bool { throw std::runtime_error("probe failed"); });
    const auto inspection = throwing.inspect(odd.locator().locate(), std::nullopt);
    EXPECT_EQ(inspection.useMojangJava, std::nullopt);
    EXPECT_EQ(inspection.warnings, Warnings{TechnicJavaSafety::rosettaMissingMessage});
    EXPECT_EQ(inspection.settingsMemoryId, -1);
    EXPECT_EQ(inspection.settingsMemoryMB, 4096);
}

TEST(InstallInspector, CertifiedBuildRules)
{
    FixtureHome::Options options;
    options.instanceContent.forgeId = QStringLiteral("forge-14.23.5.2860-universal");
    auto inspection = inspect(FixtureHome(options));
    EXPECT_TRUE(inspection.isCertifiedPack);
    EXPECT_NO_THROW(InstallInspector::checkCertifiedVersions(inspection));

    options.instanceContent.forgeId = QStringLiteral("1.12.2-forge-14.23.5.2847");
    inspection = inspect(FixtureHome(options));
    EXPECT_FALSE(inspection.isCertifiedPack);
    expectVerdict(inspection, OrvaneError::unsupportedForge(QStringLiteral("1.12.2-forge-14.23.5.2847"),
                                                            QStringLiteral("14.23.5.2860")));
    inspection.forgeId.reset();
    expectVerdict(inspection, OrvaneError::unsupportedForge(QStringLiteral("unknown"), QStringLiteral("14.23.5.2860")));

    options.instanceContent.packVersion = QStringLiteral("1.2.5");
    inspection = inspect(FixtureHome(options));
    EXPECT_FALSE(inspection.isCertifiedPack);
    expectVerdict(inspection, OrvaneError::unsupportedPackVersion(QStringLiteral("1.2.5"), QStringLiteral("1.2.6")));
    inspection.instanceRoot.reset(); // the instance is judged first
    expectVerdict(inspection, OrvaneError::tekkitMissing());
}

TEST(InstallInspector, ModFilesSortedAndJudged)
{
    FixtureHome home(withMods({"b.jar", "A.jar", "c.JAR", "readme.txt"}));
    std::filesystem::create_directories(home.instanceRoot() / "mods" / "folder.jar");
    const auto inspection = inspect(home);
    EXPECT_EQ(inspection.modFileNames, (Warnings{"A.jar", "b.jar", "c.JAR", "folder.jar"}));
    EXPECT_EQ(inspection.warnings, Warnings{kMods});

    const auto optiFine = inspect(
        FixtureHome(withMods({"NOTHIRIUM.jar", "VintageFix.jar", "OptiFine_1.12.2.jar", "DefaultOptions-1.12.2.jar"})));
    EXPECT_TRUE(optiFine.hasNothirium && optiFine.hasVintageFix && optiFine.hasOptiFine);
    EXPECT_EQ(optiFine.warnings, Warnings{kOptiFine});
    EXPECT_FALSE(inspect(FixtureHome(withMods({"defaultoptions-optifine-compat.jar"}))).hasOptiFine);
}

TEST(InstallInspector, OptionsAndOptionsOf)
{
    FixtureHome home;
    home.writeOptions("lang:en_us\r\noptionsof:true\r\nkey_key.jump:57\r\n");
    const auto inspection = inspect(home);
    EXPECT_EQ(inspection.options, (StringMap{{"lang", "en_us"}, {"optionsof", "true"}}));
    EXPECT_EQ(inspection.warnings, Warnings{kOptionsOf});

    home.writeOptions("lang:en_us\n\xff\xfe broken\n"); // not UTF-8: no options at all
    EXPECT_TRUE(inspect(home).options.empty());
    FixtureHome::makeFifo(home.instanceRoot() / "optionsof.txt"); // only tested for existence
    EXPECT_EQ(inspect(home).warnings, Warnings{kOptionsOf});
}

TEST(InstallInspector, FifosAndOddFilesReadAsAbsent)
{
    FixtureHome::Options options;
    options.launcher = FixtureHome::Launcher::jar;
    options.launcherJava = true;
    FixtureHome home(options);
    for (const char* file : {"bin/version", "bin/version.json", "bin/runData", "options.txt", "mods"})
        FixtureHome::makeFifo(home.instanceRoot() / file);
    FixtureHome::makeFifo(home.settingsPath());
    FixtureHome::makeFifo(home.installedPacksPath()); // the folder is then found by its name
    FixtureHome::makeFifo(home.javaHome() / "release");
    alarm(30); // a hang ends the run instead of stalling it
    const auto inspection = inspect(home);
    alarm(0);

    InstallInspection expected;
    expected.technicApp = home.launcherPath();
    expected.technicRoot = home.dataRoot();
    expected.instanceRoot = home.instanceRoot();
    expected.packSlug = QStringLiteral("tekkit-2");
    // The JDK whose release file is a FIFO is passed over.
    expected.warnings = {kMods, QStringLiteral("No Java 8 for arm64 in %1. Install arm64 Zulu 8 or set JAVA_HOME to an "
                                               "arm64 Java 8 JDK.")
                                    .arg(QString::fromStdString(home.jvmRoot().native()))};
    EXPECT_EQ(inspection, expected);

    options.settingsBytes = QByteArray(R"({"memory": "4096", "javaVersion": 64})");
    const auto oddSettings = inspect(FixtureHome(options));
    EXPECT_EQ(oddSettings.settingsMemoryId, std::nullopt);
    EXPECT_EQ(oddSettings.settingsMemoryMB, std::nullopt);
    EXPECT_EQ(oddSettings.javaVersionSetting, std::nullopt);
}

TEST(InstallInspector, ResolvesTheInstalledPackDirectory)
{
    FixtureHome::Options options;
    options.packKey = QStringLiteral("tekkit_2");
    options.packDirectory = QStringLiteral("%MODPACKS%\\tekkit_2");
    options.instanceFolder = QStringLiteral("tekkit_2");
    FixtureHome home(options);
    EXPECT_EQ(resolve(home), home.instanceRoot());

    // "launcher\" means the data folder itself.
    home.writeInstalledPacks(R"({"installedPacks": {"x": {"name": "Tekkit 2", "directory": "launcher\\packs\\t2"}}})");
    std::filesystem::create_directories(home.dataRoot() / "packs" / "t2");
    EXPECT_EQ(resolve(home), home.dataRoot() / "packs" / "t2");

    // A directory that does not exist gives way to the key's folder.
    home.writeInstalledPacks(R"({"installedPacks": {"tekkit2": {"directory": "%MODPACKS%\\gone"}}})");
    // Made before resolving: the order in which a comparison's two sides are evaluated is unspecified.
    const std::filesystem::path keyFolder = home.addModpacksFolder(QStringLiteral("tekkit2"));
    EXPECT_EQ(resolve(home), keyFolder);
}

TEST(InstallInspector, ScansModpacksWhenTheTableDoesNotHelp)
{
    FixtureHome::Options options;
    options.installedPacks = false;
    options.instanceFolder = QStringLiteral("Tekkit_2");
    FixtureHome home(options);
    EXPECT_EQ(resolve(home), home.instanceRoot());
    home.writeInstalledPacks("{ not json");
    EXPECT_EQ(resolve(home), home.instanceRoot());
    // An empty key or a directory naming modpacks itself never makes the modpacks folder the instance.
    home.writeInstalledPacks(R"({"installedPacks": {"": {"name": "Tekkit 2", "directory": "%MODPACKS%\\."}}})");
    EXPECT_EQ(resolve(home), home.instanceRoot());

    std::filesystem::remove_all(home.instanceRoot());
    home.addModpacksFolder(QStringLiteral("tekkit-3"));
    expectError([&] { resolve(home); }, OrvaneError::tekkitMissing());
    const auto upper = home.addModpacksFolder(QStringLiteral("My TEKKIT 2 World"));
    EXPECT_EQ(resolve(home), upper);

    std::filesystem::remove_all(home.dataRoot() / "modpacks");
    expectError([&] { resolve(home); }, OrvaneError::tekkitMissing());
    expectError([&] { inspectorFor(home).resolveInstance(TechnicLocation{}); }, OrvaneError::tekkitMissing());
    EXPECT_EQ(inspect(home).warnings, Warnings{kNotFound});
}
