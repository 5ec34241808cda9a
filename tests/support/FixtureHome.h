#pragma once

#include "model/CertifiedPack.h"
#include "model/OrvanePaths.h"
#include "platform/ProcessEnvironment.h"
#include "support/TempDir.h"
#include "technic/TechnicLocator.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

namespace orvane::test {

// A temporary home laid out as a Mac user's with official Technic and a certified Tekkit 2 1.2.6
// instance, removed with everything in it when the fixture is destroyed. No test touches the real
// home.
//
// Layout with the default options (<root> is a fresh temporary folder):
//   <root>/Applications/                     stand-in for /Applications (empty by default)
//   <root>/jvm/                              jvmRoot(), stand-in for /usr/lib/jvm (zulu8/ with launcherJava)
//   <root>/home/                             home()
//     Applications/Technic Launcher.app/     the launcher (Contents/Info.plist, Contents/MacOS/…)
//     Library/Application Support/technic/   dataRoot(): installedPacks, settings.json, logs/
//       modpacks/tekkit-2/                   instanceRoot():
//         bin/version, bin/version.json, bin/runData, options.txt,
//         mods/ (several jars including Nothirium and VintageFix, and a 1.12.2/ subfolder),
//         saves/New World/ (level.dat, region/, playerdata/), logs/, crash-reports/
//
// Every variation the edge cases need is a knob of Options (set before construction) or a
// helper that changes the home afterwards. Paths are reported whether or not the knobs made them.
class FixtureHome final {
public:
    // Where the launcher keeps its data folder, or none at all.
    enum class DataFolder { technic, techniclauncher, dotTechnic, none };
    // The launcher as an application bundle, as a JAR, or not installed.
    enum class Launcher { app, jar, none };
    // The header of a fake Java executable.
    enum class JavaBinary { arm64, x86_64, universalWithArm64, universalX86Only, elfArm64, elfX86_64 };

    // What one instance folder holds. Used for the live instance and for archive copies.
    struct Instance {
        // bin/version's "version"; absent: no bin/version. `versionBytes` writes exact bytes instead.
        std::optional<QString> packVersion = CertifiedPack::version;
        std::optional<QByteArray> versionBytes;
        // bin/version.json's "id"; absent: no bin/version.json.
        std::optional<QString> forgeId = CertifiedPack::forgeId;
        std::optional<QByteArray> versionJsonBytes;
        // bin/runData's members (an undefined QJsonValue leaves a member out); `runData` false: no file.
        bool runData = true;
        QJsonValue runDataJava = QStringLiteral("1.8");
        QJsonValue runDataMemory = QStringLiteral("4096");
        std::optional<QByteArray> runDataBytes;
        // options.txt exactly; absent: no file.
        std::optional<QByteArray> options = defaultOptions();
        bool optionsofTxt = false;
        // File names created in mods/; `modsFolder` false: no mods folder.
        bool modsFolder = true;
        QStringList mods = defaultMods();
        // One world under saves/; absent: no saves folder.
        std::optional<QString> world = QStringLiteral("New World");
        bool logsFolder = true;
        bool crashReportsFolder = true;
    };

    struct Options {
        DataFolder dataFolder = DataFolder::technic;

        // installedPacks: generated from the pack fields below unless exact bytes are given.
        bool installedPacks = true;
        std::optional<QByteArray> installedPacksBytes;
        QString packKey = QStringLiteral("tekkit-2");
        QString packName = QStringLiteral("tekkit-2");
        std::optional<QString> packBuild = CertifiedPack::version;
        std::optional<QString> packDirectory = QStringLiteral("%MODPACKS%\\tekkit-2");

        // settings.json: the launcher's real keys, with these three varied (undefined/absent: left out).
        bool settings = true;
        std::optional<QByteArray> settingsBytes;
        QJsonValue settingsMemory = 6;
        std::optional<bool> useMojangJava = true;
        std::optional<QString> javaVersionSetting = QStringLiteral("64bit");

        // The live instance in dataRoot/modpacks/<instanceFolder> (needs a data folder).
        bool instance = true;
        QString instanceFolder = QStringLiteral("tekkit-2");
        Instance instanceContent;

        // The launcher, in home/Applications or (inSystemApplications) in the stand-in /Applications.
        Launcher launcher = Launcher::app;
        QString launcherName; // empty: "Technic Launcher.app" or "TechnicLauncher.jar"
        bool launcherInSystemApplications = false;

        // The Zulu 8 JDK the launcher JAR runs on, javaHome() in the stand-in JVM folder.
        bool launcherJava = false;
        JavaBinary javaBinary = JavaBinary::arm64;
        // The release file's JAVA_VERSION line; absent: no release file.
        std::optional<QByteArray> javaReleaseLine = QByteArray("JAVA_VERSION=\"1.8.0_402\"");

        // runtimes/jre-legacy/jre.bundle as a link into the user's JDK folder.
        bool jreLegacyLinkIntoUserJDK = false;
    };

    FixtureHome();
    explicit FixtureHome(Options options);

    const Options& options() const { return m_options; }
    const std::filesystem::path& root() const { return m_dir.path(); }
    std::filesystem::path home() const;
    // The stand-in for /Applications, then home/Applications: the locator's search list.
    std::filesystem::path systemApplications() const;
    std::filesystem::path homeApplications() const;
    std::vector<std::filesystem::path> applicationFolders() const;
    // A locator searching applicationFolders() in this home.
    TechnicLocator locator() const;
    // Orvane's own folders as the application finds them in this home: XDG_DATA_HOME is
    // home/.local/share, named in environment() as a desktop session names it.
    std::filesystem::path xdgDataHome() const;
    ProcessEnvironment environment() const;
    OrvanePaths paths() const;

    std::filesystem::path dataRoot() const;
    std::filesystem::path installedPacksPath() const;
    std::filesystem::path settingsPath() const;
    std::filesystem::path instanceRoot() const;
    std::filesystem::path launcherPath() const;
    // The stand-in for /usr/lib/jvm, where the launcher's Java is looked for without JAVA_HOME.
    std::filesystem::path jvmRoot() const;
    // jvmRoot()/zulu8 and its bin/java.
    std::filesystem::path javaHome() const;
    std::filesystem::path javaExecutable() const;
    // home/Documents/Minecraft Backups/Tekkit 2.
    std::filesystem::path archiveFolder() const;

    // Helpers that change the home after construction.
    void writeInstalledPacks(const QByteArray& bytes) const;
    void writeSettings(const QJsonObject& settings) const;
    void writeOptions(const QByteArray& bytes) const;
    // An archive copy: archiveFolder()/<name>/original-instance holding `content`; returns that folder.
    std::filesystem::path addArchiveCopy(const QString& name) const;
    std::filesystem::path addArchiveCopy(const QString& name, const Instance& content) const;
    // dataRoot/modpacks/<name> holding `content`; returns it.
    std::filesystem::path addModpacksFolder(const QString& name) const;
    std::filesystem::path addModpacksFolder(const QString& name, const Instance& content) const;
    // A JDK at `javaHome` with bin/java of the given header and, when given, a release file line.
    static void writeJdk(const std::filesystem::path& javaHome, JavaBinary binary,
                         const std::optional<QByteArray>& releaseLine);
    // Replaces whatever is at `path` with a FIFO that nobody writes to.
    static void makeFifo(const std::filesystem::path& path);
    // Copies the launcher-shaped samples into place (the game's FML log, a crash report, a launcher log).
    void copySampleGameLog() const;
    void copySampleCrashReport() const;
    void copySampleLauncherLog() const;

    // The pieces the defaults are made of.
    static QByteArray defaultOptions();
    static QStringList defaultMods();
    static QJsonObject defaultSettings();
    static QByteArray executableBytes(JavaBinary binary);
    static void writeInstance(const std::filesystem::path& folder, const Instance& content);

private:
    void build();

    TempDir m_dir;
    Options m_options;
};

} // namespace orvane::test
