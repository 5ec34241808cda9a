#include "support/FixtureHome.h"

#include "platform/PathText.h"
#include "support/ExecutableSamples.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <stdexcept>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace orvane::test {

namespace {

QByteArray prettyJson(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

QByteArray compactJson(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void insertIfDefined(QJsonObject& object, const QString& key, const QJsonValue& value)
{
    if (!value.isUndefined())
        object.insert(key, value);
}

void makeExecutable(const std::filesystem::path& path)
{
    std::filesystem::permissions(path, std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec
                                           | std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
}

void copySample(const char* relative, const std::filesystem::path& target)
{
    const auto source = std::filesystem::path(ORVANE_TEST_FIXTURES) / "technic" / relative;
    writeFile(target, readFile(source));
}

} // namespace

FixtureHome::FixtureHome() : FixtureHome(Options()) {}

FixtureHome::FixtureHome(Options options) : m_options(std::move(options))
{
    build();
}

std::filesystem::path FixtureHome::home() const { return root() / "home"; }
std::filesystem::path FixtureHome::systemApplications() const { return root() / "Applications"; }
std::filesystem::path FixtureHome::homeApplications() const { return home() / "Applications"; }

std::vector<std::filesystem::path> FixtureHome::applicationFolders() const
{
    return {systemApplications(), homeApplications()};
}

TechnicLocator FixtureHome::locator() const { return TechnicLocator(home(), applicationFolders()); }

std::filesystem::path FixtureHome::xdgDataHome() const { return home() / ".local" / "share"; }

ProcessEnvironment FixtureHome::environment() const
{
    return {{QStringLiteral("HOME"), pathText(home())}, {QStringLiteral("XDG_DATA_HOME"), pathText(xdgDataHome())}};
}

OrvanePaths FixtureHome::paths() const { return OrvanePaths(home(), environment()); }

std::filesystem::path FixtureHome::dataRoot() const
{
    switch (m_options.dataFolder) {
    case DataFolder::techniclauncher:
        return home() / "Library" / "Application Support" / "techniclauncher";
    case DataFolder::dotTechnic:
        return home() / ".technic";
    case DataFolder::technic:
    case DataFolder::none:
        break;
    }
    return home() / "Library" / "Application Support" / "technic";
}

std::filesystem::path FixtureHome::installedPacksPath() const { return dataRoot() / "installedPacks"; }
std::filesystem::path FixtureHome::settingsPath() const { return dataRoot() / "settings.json"; }
std::filesystem::path FixtureHome::instanceRoot() const
{
    return dataRoot() / "modpacks" / pathFromText(m_options.instanceFolder);
}

std::filesystem::path FixtureHome::launcherPath() const
{
    QString name = m_options.launcherName;
    if (name.isEmpty())
        name = m_options.launcher == Launcher::jar ? QStringLiteral("TechnicLauncher.jar")
                                                   : QStringLiteral("Technic Launcher.app");
    return (m_options.launcherInSystemApplications ? systemApplications() : homeApplications()) / pathFromText(name);
}

std::filesystem::path FixtureHome::jvmRoot() const { return root() / "jvm"; }

std::filesystem::path FixtureHome::javaHome() const { return jvmRoot() / "zulu8"; }

std::filesystem::path FixtureHome::javaExecutable() const { return javaHome() / "bin" / "java"; }

std::filesystem::path FixtureHome::archiveFolder() const
{
    return home() / "Documents" / "Minecraft Backups" / "Tekkit 2";
}

QByteArray FixtureHome::defaultOptions()
{
    return QByteArrayLiteral("version:1343\n"
                             "invertYMouse:false\n"
                             "mouseSensitivity:0.5\n"
                             "fov:0.0\n"
                             "gamma:0.0\n"
                             "renderDistance:12\n"
                             "guiScale:0\n"
                             "maxFps:120\n"
                             "fancyGraphics:true\n"
                             "ao:2\n"
                             "renderClouds:true\n"
                             "lang:en_us\n"
                             "lastServer:127.0.0.1:25565\n"
                             "key_key.attack:-100\n"
                             "key_key.jump:57\n"
                             "soundCategory_master:1.0\n");
}

QStringList FixtureHome::defaultMods()
{
    return {QStringLiteral("Nothirium-1.12.2-0.3.4-beta.jar"), QStringLiteral("vintagefix-0.5.3.jar"),
            QStringLiteral("appliedenergistics2-rv6-stable-7.jar"),
            QStringLiteral("industrialcraft-2-2.8.221-ex112.jar"), QStringLiteral("jei_1.12.2-4.16.1.302.jar"),
            QStringLiteral("BuildCraft-1.12.2-7.99.24.8.jar")};
}

QJsonObject FixtureHome::defaultSettings()
{
    // The keys the launcher writes; only memory, javaVersion and useMojangJava are read.
    return QJsonObject{{QStringLiteral("launchAction"), QStringLiteral("HIDE")},
                       {QStringLiteral("showConsole"), false},
                       {QStringLiteral("languageCode"), QStringLiteral("default")},
                       {QStringLiteral("clientId"), QStringLiteral("5d1b2c3a-8f0e-4c7b-9a61-2f4e8d0c7b15")},
                       {QStringLiteral("javaArgs"), QString()},
                       {QStringLiteral("launchToModpacks"), true},
                       {QStringLiteral("autoAcceptRequirements"), false},
                       {QStringLiteral("launcherSettingsVersion"), QStringLiteral("3")},
                       {QStringLiteral("windowType"), QStringLiteral("DEFAULT")},
                       {QStringLiteral("enableStencilBuffer"), true}};
}

QByteArray FixtureHome::executableBytes(JavaBinary binary)
{
    switch (binary) {
    case JavaBinary::arm64:
        return machOHeader(cpuTypeArm64);
    case JavaBinary::x86_64:
        return machOHeader(cpuTypeX86_64);
    case JavaBinary::universalWithArm64:
        return fatFile({cpuTypeX86_64, cpuTypeArm64});
    case JavaBinary::universalX86Only:
        return fatFile({cpuTypeX86_64});
    case JavaBinary::elfArm64:
        return elfHeader(elfMachineAarch64);
    case JavaBinary::elfX86_64:
        return elfHeader(elfMachineX86_64);
    }
    return {};
}

void FixtureHome::writeInstance(const std::filesystem::path& folder, const Instance& content)
{
    std::filesystem::create_directories(folder / "bin");
    if (content.versionBytes)
        writeFile(folder / "bin" / "version", *content.versionBytes);
    else if (content.packVersion)
        writeFile(folder / "bin" / "version",
                  compactJson({{QStringLiteral("version"), *content.packVersion}, {QStringLiteral("legacy"), false}}));

    if (content.versionJsonBytes)
        writeFile(folder / "bin" / "version.json", *content.versionJsonBytes);
    else if (content.forgeId)
        writeFile(folder / "bin" / "version.json",
                  prettyJson({{QStringLiteral("id"), *content.forgeId},
                              {QStringLiteral("inheritsFrom"), CertifiedPack::minecraftVersion},
                              {QStringLiteral("type"), QStringLiteral("release")},
                              {QStringLiteral("mainClass"), QStringLiteral("net.minecraft.launchwrapper.Launch")}}));

    if (content.runDataBytes) {
        writeFile(folder / "bin" / "runData", *content.runDataBytes);
    } else if (content.runData) {
        QJsonObject runData;
        insertIfDefined(runData, QStringLiteral("java"), content.runDataJava);
        insertIfDefined(runData, QStringLiteral("memory"), content.runDataMemory);
        writeFile(folder / "bin" / "runData", compactJson(runData));
    }

    if (content.options)
        writeFile(folder / "options.txt", *content.options);
    if (content.optionsofTxt)
        writeFile(folder / "optionsof.txt", QByteArrayLiteral("ofFogType:1\nofFastRender:true\n"));

    if (content.modsFolder) {
        std::filesystem::create_directories(folder / "mods" / "1.12.2");
        for (const auto& mod : content.mods)
            writeFile(folder / "mods" / pathFromText(mod), QByteArray("PK\x03\x04", 4) + mod.toUtf8());
    }

    if (content.world) {
        const auto world = folder / "saves" / pathFromText(*content.world);
        writeFile(world / "level.dat", QByteArray(512, '\x1f'));
        writeFile(world / "level.dat_old", QByteArray(500, '\x1e'));
        writeFile(world / "session.lock", QByteArray("\x00\x00\x01\x8c", 4));
        writeFile(world / "region" / "r.0.0.mca", QByteArray(8192, 'r'));
        writeFile(world / "region" / "r.-1.0.mca", QByteArray(4096, 's'));
        writeFile(world / "playerdata" / "0f6b3c2e-1d4a-4b8e-9c7f-2a5d8e1b4c30.dat", QByteArray(300, 'p'));
    }
    if (content.logsFolder)
        std::filesystem::create_directories(folder / "logs");
    if (content.crashReportsFolder)
        std::filesystem::create_directories(folder / "crash-reports");
}

void FixtureHome::writeJdk(const std::filesystem::path& javaHome, JavaBinary binary,
                           const std::optional<QByteArray>& releaseLine)
{
    writeFile(javaHome / "bin" / "java", executableBytes(binary));
    makeExecutable(javaHome / "bin" / "java");
    if (releaseLine)
        writeFile(javaHome / "release", QByteArrayLiteral("IMPLEMENTOR=\"Azul Systems, Inc.\"\n") + *releaseLine
                                            + QByteArrayLiteral("\nOS_NAME=\"Darwin\"\nOS_ARCH=\"aarch64\"\n"));
}

void FixtureHome::makeFifo(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::remove_all(path, error);
    std::filesystem::create_directories(path.parent_path());
    if (::mkfifo(path.c_str(), 0644) != 0)
        throw std::runtime_error("mkfifo failed for " + path.native());
}

void FixtureHome::build()
{
    std::filesystem::create_directories(home());
    std::filesystem::create_directories(systemApplications());
    std::filesystem::create_directories(homeApplications());

    if (m_options.dataFolder != DataFolder::none) {
        std::filesystem::create_directories(dataRoot() / "logs");
        std::filesystem::create_directories(dataRoot() / "modpacks");
        if (m_options.installedPacksBytes) {
            writeInstalledPacks(*m_options.installedPacksBytes);
        } else if (m_options.installedPacks) {
            QJsonObject pack{{QStringLiteral("name"), m_options.packName},
                             {QStringLiteral("sendClientId"), false}};
            if (m_options.packBuild)
                pack.insert(QStringLiteral("build"), *m_options.packBuild);
            if (m_options.packDirectory)
                pack.insert(QStringLiteral("directory"), *m_options.packDirectory);
            const QJsonObject table{
                {QStringLiteral("installedPacks"), QJsonObject{{m_options.packKey, pack}}},
                {QStringLiteral("byIndex"), QJsonArray{m_options.packKey}},
                {QStringLiteral("selected"), m_options.packKey}};
            writeInstalledPacks(prettyJson(table));
        }
        if (m_options.settingsBytes) {
            writeFile(settingsPath(), *m_options.settingsBytes);
        } else if (m_options.settings) {
            QJsonObject settings = defaultSettings();
            insertIfDefined(settings, QStringLiteral("memory"), m_options.settingsMemory);
            if (m_options.useMojangJava)
                settings.insert(QStringLiteral("useMojangJava"), *m_options.useMojangJava);
            if (m_options.javaVersionSetting)
                settings.insert(QStringLiteral("javaVersion"), *m_options.javaVersionSetting);
            writeSettings(settings);
        }
        if (m_options.instance)
            writeInstance(instanceRoot(), m_options.instanceContent);
        if (m_options.jreLegacyLinkIntoUserJDK) {
            const auto link = dataRoot() / "runtimes" / "jre-legacy" / "jre.bundle";
            std::filesystem::create_directories(link.parent_path());
            std::filesystem::create_directories(home() / "Library/Java/JavaVirtualMachines/zulu-8.jdk");
            std::filesystem::create_directory_symlink(home() / "Library/Java/JavaVirtualMachines/zulu-8.jdk", link);
        }
    }

    switch (m_options.launcher) {
    case Launcher::app: {
        const auto contents = launcherPath() / "Contents";
        writeFile(contents / "Info.plist",
                  QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                    "<plist version=\"1.0\">\n<dict>\n"
                                    "\t<key>CFBundleExecutable</key>\n\t<string>TechnicLauncher</string>\n"
                                    "\t<key>CFBundleIdentifier</key>\n\t<string>net.technicpack.launcher</string>\n"
                                    "\t<key>CFBundleName</key>\n\t<string>Technic Launcher</string>\n"
                                    "\t<key>CFBundlePackageType</key>\n\t<string>APPL</string>\n"
                                    "</dict>\n</plist>\n"));
        writeFile(contents / "PkgInfo", QByteArrayLiteral("APPL????"));
        writeFile(contents / "MacOS" / "TechnicLauncher", machOHeader(cpuTypeX86_64));
        makeExecutable(contents / "MacOS" / "TechnicLauncher");
        break;
    }
    case Launcher::jar:
        writeFile(launcherPath(), QByteArray("PK\x03\x04", 4) + QByteArrayLiteral("net/technicpack/launcher"));
        break;
    case Launcher::none:
        break;
    }

    if (m_options.launcherJava)
        writeJdk(javaHome(), m_options.javaBinary, m_options.javaReleaseLine);
}

void FixtureHome::writeInstalledPacks(const QByteArray& bytes) const { writeFile(installedPacksPath(), bytes); }
void FixtureHome::writeSettings(const QJsonObject& settings) const { writeFile(settingsPath(), prettyJson(settings)); }
void FixtureHome::writeOptions(const QByteArray& bytes) const { writeFile(instanceRoot() / "options.txt", bytes); }

std::filesystem::path FixtureHome::addArchiveCopy(const QString& name) const { return addArchiveCopy(name, Instance()); }

std::filesystem::path FixtureHome::addArchiveCopy(const QString& name, const Instance& content) const
{
    const auto folder = archiveFolder() / pathFromText(name) / "original-instance";
    writeInstance(folder, content);
    return folder;
}

std::filesystem::path FixtureHome::addModpacksFolder(const QString& name) const
{
    return addModpacksFolder(name, Instance());
}

std::filesystem::path FixtureHome::addModpacksFolder(const QString& name, const Instance& content) const
{
    const auto folder = dataRoot() / "modpacks" / pathFromText(name);
    writeInstance(folder, content);
    return folder;
}

void FixtureHome::copySampleGameLog() const
{
    copySample("instance/logs/fml-client-latest.log.sample", instanceRoot() / "logs" / "fml-client-latest.log");
}

void FixtureHome::copySampleCrashReport() const
{
    copySample("instance/crash-reports/crash-2026-12-09_10.05.12-client.txt.sample",
               instanceRoot() / "crash-reports" / "crash-2026-12-09_10.05.12-client.txt");
}

void FixtureHome::copySampleLauncherLog() const
{
    copySample("logs/techniclauncher_2026-12-09.log", dataRoot() / "logs" / "techniclauncher_2026-12-09.log");
}

} // namespace orvane::test
