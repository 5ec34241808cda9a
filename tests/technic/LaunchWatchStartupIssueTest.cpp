#include "technic/LaunchObserver.h"

#include "support/LogFiles.h"
#include "LaunchObserverWatch.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;
using namespace orvane::test::launchObserver;

namespace {

// The polls (one before the first sleep, then one after each) at `seconds` into the watch.
constexpr int at(double seconds)
{
    return int(seconds / 0.4 + 0.5);
}

// The sentence a message opens with.
QString firstSentence(const QString& message)
{
    const qsizetype end = message.indexOf(QStringLiteral(". "));
    return end < 0 ? message : message.left(end + 1);
}

// The check line as the player reads it.
QString caption(LaunchOutcome outcome)
{
    switch (outcome) {
    case LaunchOutcome::crashDetected: return QStringLiteral("LAST CHECK \u00b7 STARTUP ISSUE DETECTED");
    case LaunchOutcome::forgeLoaded: return QStringLiteral("LAST CHECK \u00b7 FORGE LOADED");
    case LaunchOutcome::javaStarted: return QStringLiteral("LAST CHECK \u00b7 GAME JAVA STARTED");
    default: return QString();
    }
}

// Technic alone, except for the polls [from, until) in which the game's Java runs too (until -1:
// from `from` on, to the end).
std::vector<Answers> gameRuns(int from, int until, const Answers& game)
{
    const Answers technic = FakeProcessInspector::technicApp();
    std::vector<Answers> script(std::size_t(std::max(from, 0)), technic);
    if (until < 0) {
        script.push_back(game);
        return script;
    }
    script.resize(std::size_t(until), game);
    script.push_back(technic);
    return script;
}

// What the launcher copies of the game's console into its log, line by line.
QByteArray console(const QByteArray& lines)
{
    QByteArray copied;
    for (const QByteArray& line : lines.split('\n')) {
        if (!line.isEmpty())
            copied += "[B#910] 2026-12-09 10:03:41 " + line + "\n";
    }
    return copied;
}

const QByteArray launching = "[B#910] 2026-12-09 10:03:40 Launching modpack tekkit-2 build 1.2.6\n"
                             "[B#910] 2026-12-09 10:03:41 Running java: /home/jo/.technic/runtimes/jre-legacy/bin/java "
                             "-Xmx4096m -Xms1024m -XX:+UseConcMarkSweepGC\n";
const QByteArray lwjglVersion = "[10:03:51] [Client thread/INFO] [minecraft/Minecraft]: LWJGL Version: 2.9.4\n";
const QByteArray nativesPath = "/home/jo/.technic/modpacks/tekkit-2/bin/natives/liblwjgl64.so";
const QByteArray linkError = "[10:03:51] [Client thread/ERROR] [minecraft/Minecraft]: Couldn't set pixel format\n"
                             "java.lang.UnsatisfiedLinkError: ";
const QByteArray forgeError = "[10:03:55] [Client thread/INFO] [FML]: Forge Mod Loader has identified 184 mods to load\n";

enum class File { gameLog, launcherLog, crashReport, fatalErrorLog };

struct Write {
    int afterSleep; // 0: before the watch begins
    File file;
    QByteArray bytes;
    // Dated this many seconds from the clock when written; a file written before the watch is
    // dated a day back unless said otherwise.
    std::optional<int> dated = std::nullopt;
    // Saved anew under the name (another inode), as an editor or a sync tool saves.
    bool replace = false;
};

struct Case {
    const char* name;
    std::vector<Answers> processes;
    std::vector<Write> writes;
    LaunchOutcome outcome;
    QString sentence; // the message's first sentence
    int decidedAfterSleeps;
    std::vector<const char*> excerptHas = {};
    QString hostArchitecture = QStringLiteral("x86_64");
};

LaunchObservation watch(const Case& c, int& sleeps)
{
    Watch watch(c.processes);
    watch.hostArchitecture = c.hostArchitecture;
    const auto path = [&](File file) {
        switch (file) {
        case File::gameLog: return watch.latestLog();
        case File::launcherLog: return watch.launcherLog();
        case File::crashReport: return watch.crashReport("crash-2026-12-08_21.14.03-client.txt");
        case File::fatalErrorLog: return watch.home.instanceRoot() / "hs_err_pid4242.log";
        }
        return std::filesystem::path();
    };
    const auto write = [&](const Write& w) {
        if (w.replace)
            replaceFile(path(w.file), w.bytes);
        else
            appendFile(path(w.file), w.bytes);
        const int dated = w.dated.value_or(w.afterSleep == 0 ? -86400 : 0);
        setModified(path(w.file), watch.clock->currentDate().addSecs(dated));
    };
    for (const Write& w : c.writes) {
        if (w.afterSleep == 0)
            write(w);
        else
            watch.after(w.afterSleep, [&write, &w] { write(w); });
    }
    const LaunchObservation seen = watch.observe();
    sleeps = watch.clock->sleeps();
    return seen;
}

} // namespace

TEST(LaunchWatchStartupIssue, EachStartThatCannotGoOnIsDecidedWhenItShows)
{
    const QByteArray clean = sample("instance/logs/latest.log.clean-start.sample");
    const auto [cleanBeforeLoaded, cleanLoaded] = splitAt(clean, "Forge Mod Loader has successfully loaded");
    const QByteArray cleanUpToMods = splitAt(clean, "Forge Mod Loader has identified").first;
    const QByteArray modCrash = sample("instance/logs/latest.log.mod-loading-crash.sample");
    const QByteArray modStart = splitAt(modCrash, "Fatal errors were detected").first;
    const QByteArray modFailure = splitAt(modCrash, "[STDOUT]").first.mid(modStart.size());
    const QByteArray crashReport = sample("instance/crash-reports/crash-2026-12-09_10.05.12-client.txt.sample");
    const QByteArray fatalErrorLog = sample("instance/hs_err_pid4242.log.sample");
    const QByteArray jvmDies = sample("instance/logs/latest.log.jvm-dies.sample");

    // The sentences more than one case ends with.
    const QString wrongJava = QStringLiteral(
        "Tekkit 2 needs Java 8, but the game was started on another Java version; set Technic to run the game on "
        "Java 8 (Use Mojang Java on), then press Play in Technic again.");
    const QString modFailed = QStringLiteral(
        "Forge stopped because a mod failed while loading; remove or update the mod the log names, or use Restore, "
        "then press Play in Technic again.");
    const QString endedBeforeForge = QStringLiteral(
        "The game stopped before Forge finished loading; close other programs or lower the memory setting in "
        "Technic, press Play in Technic again, and send a redacted diagnostic if it stops again.");
    const QString downloadFailed = QStringLiteral(
        "Technic could not download the modpack; check the internet connection, then press Play in Technic again.");
    const QString crashReportAppeared = QStringLiteral("A crash report appeared in the instance logs.");
    const Answers linux = FakeProcessInspector::technicAndGame(QStringLiteral("x86_64"), false);
    const Answers aarch64 = FakeProcessInspector::technicAndGame(QStringLiteral("arm64"), false);
    const Answers mac = FakeProcessInspector::technicAndGame(QStringLiteral("x86_64"), true);
    const int never = 0;
    using O = LaunchOutcome;
    const Case cases[] = {
        // The JVM refuses to start: its reason is only in the launcher's copy of the console.
        {"the heap cannot be reserved (game Java gone at 10 s)",
         gameRuns(1, at(10), linux),
         {{1, File::launcherLog, launching},
          {at(10), File::launcherLog,
           console("Error occurred during initialization of VM\n"
                   "Could not reserve enough space for 4194304KB object heap\n")}},
         O::crashDetected, QStringLiteral("Java could not reserve the memory Technic asked for, so the game never "
                                          "started; close other programs or lower the memory setting in Technic, "
                                          "then press Play in Technic again."),
         at(10), {"Could not reserve enough space for 4194304KB object heap", "$HOME/.technic/runtimes"}},
        {"a newer Java refuses an option",
         gameRuns(never, never, linux),
         {{1, File::launcherLog, launching},
          {3, File::launcherLog,
           console("Unrecognized VM option 'UseConcMarkSweepGC'\nError: Could not create the Java Virtual Machine.\n"
                   "Error: A fatal exception has occurred. Program will exit.\n")}},
         O::crashDetected, QStringLiteral("The game\u2019s Java refused a Java option of Tekkit 2, as Java newer "
                                          "than 8 does; set Technic to run the game on Java 8 (Use Mojang Java on), "
                                          "then press Play in Technic again."),
         3, {"Unrecognized VM option 'UseConcMarkSweepGC'"}},
        {"a 32-bit Java refuses -Xmx4096m",
         gameRuns(never, never, linux),
         {{2, File::launcherLog,
           console("Invalid maximum heap size: -Xmx4096m\n"
                   "The specified size exceeds the maximum representable size.\n"
                   "Error: Could not create the Java Virtual Machine.\n")}},
         O::crashDetected, QStringLiteral("Java refused Technic\u2019s memory setting as too large, as a 32-bit "
                                          "Java does; use a 64-bit Java 8 for the game or a lower memory setting, "
                                          "then press Play in Technic again."),
         2, {"Invalid maximum heap size: -Xmx4096m"}},
        {"any other refusal to create the JVM",
         gameRuns(never, never, linux),
         {{2, File::launcherLog, console("Error: Could not create the Java Virtual Machine.\n")}},
         O::crashDetected, QStringLiteral("Java could not start the game; close other programs or lower the memory "
                                          "setting in Technic, make sure the game runs on Java 8, then press Play "
                                          "in Technic again."),
         2},
        {"LaunchWrapper on Java 9 or later (its line at 11.6 s, Java gone at 12 s)",
         gameRuns(1, at(12), linux),
         {{at(11.6), File::launcherLog,
           console("Exception in thread \"main\" java.lang.ClassCastException: class "
                   "jdk.internal.loader.ClassLoaders$AppClassLoader cannot be cast to class java.net.URLClassLoader "
                   "(jdk.internal.loader.ClassLoaders$AppClassLoader and java.net.URLClassLoader are in module "
                   "java.base of loader 'bootstrap')\n\tat net.minecraft.launchwrapper.Launch.<init>(Launch.java:34)\n")}},
         O::crashDetected, wrongJava, at(11.6), {"cannot be cast to class java.net.URLClassLoader"}},
        {"classes built for a newer Java",
         gameRuns(1, -1, linux),
         {{2, File::launcherLog,
           console("Exception in thread \"main\" java.lang.UnsupportedClassVersionError: "
                   "net/minecraft/launchwrapper/Launch : Unsupported major.minor version 52.0\n")}},
         O::crashDetected, wrongJava, 2},
        {"the heap runs out while mods load and the game hangs",
         gameRuns(1, -1, linux),
         {{2, File::gameLog, cleanUpToMods},
          {at(40), File::gameLog,
           forgeError + "[10:04:20] [Client thread/ERROR] [FML]: Exception caught during firing event\n"
                        "java.lang.OutOfMemoryError: Java heap space\n"
                        "\tat java.util.Arrays.copyOf(Arrays.java:3332) ~[?:1.8.0_402]\n"}},
         O::crashDetected, QStringLiteral("The game ran out of Java memory while starting; Apply Balanced again or "
                                          "raise the memory setting in Technic, close other programs, then press "
                                          "Play in Technic again."),
         at(40), {"java.lang.OutOfMemoryError: Java heap space"}},
        {"the kernel's out-of-memory killer ends the game at 56 s: its log simply stops",
         gameRuns(1, at(56), linux),
         {{1, File::launcherLog, launching}, {2, File::gameLog, cleanUpToMods}, {at(30), File::gameLog, forgeError}},
         O::crashDetected, endedBeforeForge,
         at(56), {"Forge Mod Loader has identified 184 mods to load", "[B#910] 2026-12-09 10:03:40 Launching"}},
        {"a JVM crash log dated before the watch by a file server's clock",
         gameRuns(1, at(9.6), linux),
         {{1, File::launcherLog, launching}, {2, File::gameLog, jvmDies},
          {at(9.2), File::fatalErrorLog, fatalErrorLog, -3600}},
         O::crashDetected, crashReportAppeared, at(9.2),
         {"SIGSEGV (0xb)"}},
        {"a crash report dated before the watch by a file server's clock",
         gameRuns(1, -1, linux),
         {{2, File::gameLog, cleanUpToMods}, {at(20), File::crashReport, crashReport, -7200}},
         O::crashDetected, crashReportAppeared, at(20),
         {"---- Minecraft Crash Report ----"}},
        {"an old crash report written again with another crash",
         gameRuns(1, -1, linux),
         {{0, File::crashReport, crashReport}, {at(20), File::crashReport, "---- Minecraft Crash Report ----\n// Oops.\n",
                                                 std::nullopt, true}},
         O::crashDetected, crashReportAppeared, at(20), {"// Oops."}},
        {"yesterday's crash report saved again unchanged while the game loads",
         gameRuns(1, -1, linux),
         {{0, File::crashReport, crashReport}, {0, File::fatalErrorLog, fatalErrorLog},
          {2, File::gameLog, cleanBeforeLoaded}, {3, File::crashReport, crashReport, std::nullopt, true},
          {3, File::fatalErrorLog, fatalErrorLog, std::nullopt, true}, {at(60), File::gameLog, cleanLoaded}},
         O::forgeLoaded, QStringLiteral("Forge loaded."), at(60), {"successfully loaded 184 mods"}},
        // Forge stops on its error screen: the game stays up and writes no crash report.
        {"a missing mod",
         gameRuns(1, -1, linux),
         {{2, File::gameLog, cleanUpToMods},
          {at(8), File::gameLog,
           forgeError + "[10:03:55] [Client thread/ERROR] [FML]: The mod examplemod042 (Example Mod 42) requires mods "
                        "[examplelib@[1.2,)] to be available\n"
                        "net.minecraftforge.fml.common.MissingModsException: Mod examplemod042 (Example Mod 42) "
                        "requires [examplelib@[1.2,)]\n"
                        "\tat net.minecraftforge.fml.common.Loader.sortModList(Loader.java:264) ~[Loader.class:?]\n"}},
         O::crashDetected, QStringLiteral("Forge stopped because a mod needs another mod that is missing; put the "
                                          "missing mod back or reinstall Tekkit 2 in Technic, then press Play in "
                                          "Technic again."),
         at(8), {"MissingModsException"}},
        {"a mod installed twice",
         gameRuns(1, -1, linux),
         {{at(7), File::gameLog,
           cleanUpToMods + "[10:03:54] [Client thread/FATAL] [FML]: Found a duplicate mod examplemod042 at "
                           "[/home/jo/.technic/modpacks/tekkit-2/mods/examplemod042-1.12.2-4.2.0.jar, "
                           "/home/jo/.technic/modpacks/tekkit-2/mods/examplemod042-1.12.2-4.1.0.jar]\n"}},
         O::crashDetected, QStringLiteral("Forge stopped because a mod is installed twice; remove the extra copy from "
                                          "the instance\u2019s mods folder, then press Play in Technic again."),
         at(7), {"$HOME/.technic/modpacks/tekkit-2/mods/examplemod042-1.12.2-4.1.0.jar"}},
        {"a mod for another Minecraft version",
         gameRuns(1, -1, linux),
         {{at(7), File::gameLog,
           cleanUpToMods + "[10:03:54] [Client thread/FATAL] [FML]: The mod examplemod042 does not wish to run in "
                           "Minecraft version 1.12.2. You will have to remove it to play.\n"}},
         O::crashDetected, QStringLiteral("Forge stopped because a mod is made for another Minecraft version; remove "
                                          "it from the instance\u2019s mods folder, then press Play in Technic again."),
         at(7)},
        {"a fatal transition without a crash report waits two seconds for one",
         gameRuns(1, -1, linux),
         {{1, File::gameLog, modStart}, {4, File::gameLog, modFailure}},
         O::crashDetected, modFailed,
         4 + 5, {"Fatal errors were detected during the transition from PREINITIALIZATION to INITIALIZATION"}},
        {"a fatal transition just before the deadline",
         gameRuns(1, -1, linux),
         {{1, File::gameLog, modStart}, {at(179.2), File::gameLog, modFailure}},
         O::crashDetected, modFailed, at(180)},
        {"a fatal transition whose game ends before a crash report follows",
         gameRuns(1, 6, linux),
         {{1, File::gameLog, modStart}, {4, File::gameLog, modFailure}},
         O::crashDetected, modFailed, 6},
        // The launcher cannot fetch the pack; no game ever starts.
        {"the pack's download host cannot be found",
         gameRuns(never, never, linux),
         {{2, File::launcherLog,
           "[B#910] 2026-12-09 10:03:40 Launching modpack tekkit-2 build 1.2.6\n"
           "[B#910] 2026-12-09 10:03:41 java.net.UnknownHostException: mirror.technicpack.net\n"
           "[B#910] 2026-12-09 10:03:41 \tat java.net.AbstractPlainSocketImpl.connect(AbstractPlainSocketImpl.java:184)\n"}},
         O::crashDetected, downloadFailed, 2, {"UnknownHostException: mirror.technicpack.net"}},
        {"the pack's download fails",
         gameRuns(never, never, linux),
         {{1, File::launcherLog, "[B#910] 2026-12-09 10:03:40 Download of https://mirror.technicpack.net/Technic/"},
          {2, File::launcherLog, "modpacks/tekkit-2/tekkit-2-1.2.6.zip Failed!\n"}},
         O::crashDetected, downloadFailed, 2},
        // LWJGL's natives: what is true on the machine that could not load them.
        {"an x86_64 PC without libXxf86vm",
         gameRuns(1, -1, linux),
         {{2, File::gameLog, jvmDies + linkError + nativesPath + ": libXxf86vm.so.1: cannot open shared object "
                                                                 "file: No such file or directory\n"}},
         O::crashDetected, QStringLiteral("Tekkit 2\u2019s LWJGL natives need the system library libXxf86vm.so.1, "
                                          "which the loader could not find; install the package that provides it "
                                          "with your distribution\u2019s package manager, then press Play in "
                                          "Technic again."),
         2},
        {"an x86_64 PC whose LWJGL library itself cannot load",
         gameRuns(1, -1, linux),
         {{2, File::gameLog, jvmDies + linkError + "Can't load library: " + nativesPath + "\n"}},
         O::crashDetected, QStringLiteral("Tekkit 2\u2019s LWJGL library liblwjgl64.so could not be loaded; reinstall "
                                          "Tekkit 2 in Technic so that its natives are unpacked again, then press "
                                          "Play in Technic again."),
         2},
        {"an aarch64 Linux machine",
         gameRuns(1, -1, aarch64),
         {{2, File::gameLog, jvmDies + linkError + nativesPath + ": " + nativesPath + ": cannot open shared object "
                              "file: No such file or directory (Possible cause: can't load AMD 64-bit .so on a "
                              "AARCH64-bit platform)\n"}},
         O::crashDetected, QStringLiteral("Tekkit 2\u2019s LWJGL natives are x86_64 only, so the game needs an x86_64 "
                                          "Java 8; set one as the game\u2019s Java in Technic, then press Play in "
                                          "Technic again."),
         2, {}, QStringLiteral("arm64")},
        {"a Mac keeps its Rosetta advice",
         gameRuns(1, -1, mac),
         {{2, File::gameLog, jvmDies + linkError + "/Users/example/Library/Application Support/technic/modpacks/"
                                                   "tekkit-2/bin/natives/liblwjgl.dylib: dlopen(liblwjgl.dylib, 1): "
                                                   "mach-o file, but is an incompatible architecture\n"}},
         O::crashDetected, QStringLiteral("Tekkit 2\u2019s LWJGL natives are Intel-only."), 2, {},
         QStringLiteral("arm64")},
        // What stays no problem.
        {"the player closes the game before it loaded",
         gameRuns(1, at(20), linux),
         {{2, File::gameLog, cleanUpToMods},
          {at(19.6), File::gameLog,
           "[10:04:04] [Client thread/INFO] [minecraft/Minecraft]: Stopping!\n"
           "[10:04:04] [Client thread/INFO] [minecraft/SoundManager]: SoundSystem shutting down...\n"}},
         O::javaStarted, QStringLiteral("Java started."), at(180), {"Stopping!"}},
        {"the player closes the game, plays again, and this run is killed at 60 s",
         [&] {
             auto script = gameRuns(1, at(20), linux);
             script.resize(std::size_t(at(40)), FakeProcessInspector::technicApp());
             script.resize(std::size_t(at(60)), linux);
             script.push_back(FakeProcessInspector::technicApp());
             return script;
         }(),
         {{2, File::gameLog, cleanUpToMods},
          {at(19.6), File::gameLog, "[10:04:04] [Client thread/INFO] [minecraft/Minecraft]: Stopping!\n"},
          {at(40), File::gameLog, cleanUpToMods, std::nullopt, true}},
         O::crashDetected, endedBeforeForge, at(60)},
        {"a harmless JVM warning before a normal load",
         gameRuns(1, -1, linux),
         {{1, File::launcherLog,
           console("OpenJDK 64-Bit Server VM warning: ignoring option MaxPermSize=256m; support was removed in 8.0\n")},
          {2, File::gameLog, cleanBeforeLoaded}, {at(70), File::gameLog, cleanLoaded}},
         O::forgeLoaded, QStringLiteral("Forge loaded."), at(70)},
        {"a game that loaded and then exits",
         gameRuns(1, at(30), linux),
         {{2, File::gameLog, cleanBeforeLoaded}, {at(30), File::gameLog, cleanLoaded}},
         O::forgeLoaded, QStringLiteral("Forge loaded."), at(30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int sleeps = 0;
        const LaunchObservation seen = watch(c, sleeps);
        EXPECT_EQ(seen.outcome, c.outcome);
        EXPECT_EQ(statusLine(seen.outcome), caption(c.outcome));
        EXPECT_EQ(firstSentence(seen.message), c.sentence);
        EXPECT_EQ(sleeps, c.decidedAfterSleeps);
        for (const char* part : c.excerptHas)
            EXPECT_TRUE(seen.logExcerpt.contains(QString::fromUtf8(part))) << part << "\n" << seen.logExcerpt.toStdString();
        EXPECT_FALSE(seen.logExcerpt.contains(QStringLiteral("/home/jo")));
    }
}
