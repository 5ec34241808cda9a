#include "technic/LaunchObserver.h"

#include "json/DescribedError.h"
#include "technic/LaunchLogClassifier.h"
#include "technic/LaunchWatch.h"
#include "technic/LauncherStartFailure.h"

#include "support/FakeLaunchClock.h"
#include "support/FakeProcessInspector.h"
#include "support/FakeStartedProcess.h"
#include "support/FixtureHome.h"
#include "support/LogFiles.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <thread>

using namespace orvane;
using namespace orvane::test;
using Answers = FakeProcessInspector::Answers;

namespace {

const QByteArray forgeLine = "[10:04:31] [Client thread/INFO] [FML]: Forge Mod Loader has successfully loaded 181 mods\n";

// A watch over a fixture home with a scripted process table and a clock that never waits. The
// hooks run after the given sleep (the per-poll hook): they play the launcher and the game writing.
struct Watch {
    explicit Watch(std::vector<Answers> script = {FakeProcessInspector::technicApp()})
        : processes(std::make_shared<FakeProcessInspector>(std::move(script))),
          clock(std::make_shared<FakeLaunchClock>())
    {
        clock->onSleep = [this](int number) {
            processes->nextPoll();
            if (const auto hook = hooks.find(number); hook != hooks.end())
                hook->second();
        };
    }

    LaunchObservation observe(double timeout = 180, bool withInstance = true, bool withData = true)
    {
        const LaunchObserver observer(processes, timeout, clock, launcher);
        return observer.observe(withInstance ? std::optional(home.instanceRoot()) : std::nullopt,
                                withData ? std::optional(home.dataRoot()) : std::nullopt, stop.get_token());
    }

    std::filesystem::path gameLog() const { return home.instanceRoot() / "logs" / "fml-client-latest.log"; }
    std::filesystem::path latestLog() const { return home.instanceRoot() / "logs" / "latest.log"; }
    std::filesystem::path crashReport(const char* name = "crash-2026-12-09_10.05.12-client.txt") const
    {
        return home.instanceRoot() / "crash-reports" / name;
    }
    std::filesystem::path launcherLog(const char* name = "techniclauncher_2026-12-09.log") const
    {
        return home.dataRoot() / "logs" / name;
    }

    FixtureHome home;
    std::shared_ptr<FakeProcessInspector> processes;
    std::shared_ptr<FakeLaunchClock> clock;
    std::stop_source stop;
    std::map<int, std::function<void()>> hooks;
    // The launcher the open started, when it started one.
    std::shared_ptr<FakeStartedProcess> launcher;
};

} // namespace

TEST(LaunchObserver, ForgeLoadedUnderRosettaEndsTheWatch)
{
    Watch watch({FakeProcessInspector::technicApp(), FakeProcessInspector::technicAndGame("x86_64", true)});
    watch.hooks[1] = [&] { watch.home.copySampleGameLog(); };
    const LaunchObservation seen = watch.observe();

    EXPECT_EQ(seen.outcome, LaunchOutcome::forgeLoaded);
    EXPECT_EQ(seen.message, LaunchMessages::forgeLoadedTranslated);
    EXPECT_TRUE(seen.openedTechnic);
    EXPECT_TRUE(seen.technicRunning);
    EXPECT_TRUE(seen.javaRunning);
    EXPECT_EQ(seen.javaArchitecture, QStringLiteral("x86_64"));
    EXPECT_EQ(seen.translated, true);
    EXPECT_EQ(watch.clock->sleeps(), 1);
    // The sample names a user's folder: the excerpt never does.
    EXPECT_TRUE(seen.logExcerpt.contains(QStringLiteral("Forge Mod Loader has successfully loaded")));
    EXPECT_TRUE(seen.logExcerpt.contains(QStringLiteral("$HOME/Library/Application Support/technic")));
    EXPECT_FALSE(seen.logExcerpt.contains(QStringLiteral("/Users/example")));
}

TEST(LaunchObserver, ForgeLoadedWithoutATranslatedGameReadsNative)
{
    Watch watch;
    watch.hooks[2] = [&] { appendFile(watch.latestLog(), forgeLine); };
    const LaunchObservation seen = watch.observe();
    EXPECT_EQ(seen.outcome, LaunchOutcome::forgeLoaded);
    EXPECT_EQ(seen.message, LaunchMessages::forgeLoadedNative);
    EXPECT_FALSE(seen.javaRunning);
    EXPECT_EQ(seen.javaArchitecture, std::nullopt);
    EXPECT_EQ(seen.translated, std::nullopt);
    EXPECT_EQ(watch.clock->sleeps(), 2);
}

TEST(LaunchObserver, OnlyTextWrittenAfterTheStartCounts)
{
    Watch watch;
    writeFile(watch.latestLog(), forgeLine);
    writeFile(watch.gameLog(), forgeLine);
    writeFile(watch.launcherLog(), "Cannot run program: error=86, Bad CPU type in executable\n");
    writeFile(watch.crashReport("crash-old.txt"), "---- Minecraft Crash Report ----\n");
    setModified(watch.crashReport("crash-old.txt"), watch.clock->currentDate().addSecs(-5));
    watch.hooks[1] = [&] { appendFile(watch.latestLog(), "[main/INFO] nothing decisive\n"); };

    const LaunchObservation seen = watch.observe(2);
    EXPECT_EQ(seen.outcome, LaunchOutcome::openedTechnicWaitingForPlayer);
    EXPECT_EQ(seen.message, LaunchMessages::technicOpen);
    EXPECT_EQ(seen.logExcerpt, QStringLiteral("[main/INFO] nothing decisive\n"));
}

TEST(LaunchObserver, CrashReportNewerThanTheStartIsDetectedByItsHeader)
{
    // The sample is far longer than 8000 bytes and its header stands at the top.
    Watch watch;
    watch.hooks[1] = [&] {
        watch.home.copySampleCrashReport();
        setModified(watch.crashReport(), watch.clock->currentDate());
    };
    const LaunchObservation seen = watch.observe();
    EXPECT_EQ(seen.outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(seen.message, LaunchMessages::crashReport);
    EXPECT_TRUE(seen.logExcerpt.startsWith(QStringLiteral("---- Minecraft Crash Report ----")));
}

TEST(LaunchObserver, CrashReportFromTheSecondBeforeTheStartCounts)
{
    Watch watch;
    writeFile(watch.crashReport("crash-just-before.txt"), "---- Minecraft Crash Report ----\n");
    setModified(watch.crashReport("crash-just-before.txt"), watch.clock->currentDate().addMSecs(-900));
    EXPECT_EQ(watch.observe().outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(watch.clock->sleeps(), 0);

    Watch older;
    writeFile(older.crashReport("crash-older.txt"), "---- Minecraft Crash Report ----\n");
    setModified(older.crashReport("crash-older.txt"), older.clock->currentDate().addMSecs(-1100));
    EXPECT_EQ(older.observe(1).outcome, LaunchOutcome::openedTechnicWaitingForPlayer);
}

TEST(LaunchObserver, ACrashReportStillBeingWrittenIsReadAgain)
{
    Watch watch;
    watch.hooks[1] = [&] { writeFile(watch.crashReport(), ""); };
    watch.hooks[2] = [&] { appendFile(watch.crashReport(), "---- Minecraft "); };
    watch.hooks[3] = [&] { appendFile(watch.crashReport(), "Crash Report ----\nTime: 12/9/26\n"); };
    const LaunchObservation seen = watch.observe();
    EXPECT_EQ(seen.outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(watch.clock->sleeps(), 3);
    EXPECT_EQ(seen.logExcerpt, QStringLiteral("---- Minecraft Crash Report ----\nTime: 12/9/26\n"));
}

TEST(LaunchObserver, LauncherLogCrashLinesDecideFirst)
{
    Watch watch;
    watch.home.copySampleLauncherLog();
    watch.hooks[1] = [&] {
        appendFile(watch.gameLog(), forgeLine);
        appendFile(watch.launcherLog(), "[B#910] java.io.IOException: Cannot run program: BAD CPU TYPE in executable\n");
    };
    const LaunchObservation seen = watch.observe();
    EXPECT_EQ(seen.outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(seen.message, LaunchMessages::rosettaFailure);
    // The excerpt is the launcher's text of this watch only.
    EXPECT_EQ(seen.logExcerpt,
              QStringLiteral("[B#910] java.io.IOException: Cannot run program: BAD CPU TYPE in executable\n"));
}

TEST(LaunchObserver, ANewLauncherLogIsReadFromItsStart)
{
    Watch watch;
    watch.home.copySampleLauncherLog();
    setModified(watch.launcherLog(), watch.clock->currentDate().addSecs(-60));
    watch.hooks[2] = [&] {
        // The launcher starts the next day's log with the failure in its first lines.
        writeFile(watch.launcherLog("techniclauncher_2026-12-10.log"),
                  "[B#910] Launching modpack tekkit-2\n[B#910] error=86\n");
    };
    const LaunchObservation seen = watch.observe();
    EXPECT_EQ(seen.outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(seen.logExcerpt, QStringLiteral("[B#910] Launching modpack tekkit-2\n[B#910] error=86\n"));
}

TEST(LaunchObserver, ARotatedGameLogIsReadFromItsStart)
{
    Watch watch;
    // The old file is long enough that reading the new one from the old offset would cut the marker.
    writeFile(watch.latestLog(), "[old] previous session" + QByteArray(40, '.') + "\n");
    watch.hooks[1] = [&] { replaceFile(watch.latestLog(), forgeLine + "[Client thread/INFO] more lines\n"); };
    EXPECT_EQ(watch.observe().outcome, LaunchOutcome::forgeLoaded);
}

TEST(LaunchObserver, LogTextSurvivesSplitCharactersAndInvalidBytes)
{
    Watch watch;
    const QByteArray accented = QStringLiteral("[FML]: Lade Welt \u00e9t\u00e9\n").toUtf8();
    watch.hooks[1] = [&] { appendFile(watch.gameLog(), accented.left(19)); }; // ends inside "é"
    watch.hooks[2] = [&] { appendFile(watch.gameLog(), accented.mid(19) + "bad \xFF byte\n" + forgeLine); };
    const LaunchObservation seen = watch.observe();
    EXPECT_EQ(seen.outcome, LaunchOutcome::forgeLoaded);
    EXPECT_EQ(seen.logExcerpt, QStringLiteral("[FML]: Lade Welt \u00e9t\u00e9\nbad \uFFFD byte\n")
                                   + QString::fromUtf8(forgeLine));
}

TEST(LaunchObserver, RedactsTheExcerpt)
{
    Watch watch;
    watch.hooks[1] = [&] {
        appendFile(watch.gameLog(), "Loading /Users/alice/Library/x with password=hunter2 from 192.168.1.20:25565\n"
                                        + forgeLine);
    };
    const LaunchObservation seen = watch.observe();
    EXPECT_EQ(seen.outcome, LaunchOutcome::forgeLoaded);
    EXPECT_TRUE(seen.logExcerpt.contains(QStringLiteral("$HOME/Library/x")));
    EXPECT_TRUE(seen.logExcerpt.contains(QStringLiteral("password=[REDACTED_TOKEN]")));
    EXPECT_TRUE(seen.logExcerpt.contains(QStringLiteral("[REDACTED_SERVER]")));
    EXPECT_FALSE(seen.logExcerpt.contains(QStringLiteral("hunter2")));
    EXPECT_FALSE(seen.logExcerpt.contains(QStringLiteral("alice")));
}

TEST(LaunchObserver, TimeoutWithTechnicOpen)
{
    Watch watch;
    watch.home.copySampleLauncherLog();
    watch.hooks[1] = [&] { appendFile(watch.launcherLog(), "[B#910] Launching modpack tekkit-2 build 1.2.6\n"); };
    watch.hooks[2] = [&] { appendFile(watch.latestLog(), "[main/INFO] Setting user: Player\n"); };
    const LaunchObservation seen = watch.observe(2);
    EXPECT_EQ(seen.outcome, LaunchOutcome::openedTechnicWaitingForPlayer);
    EXPECT_EQ(seen.message, LaunchMessages::technicOpen);
    EXPECT_TRUE(seen.technicRunning);
    // Game text first, then the launcher's; the excerpt is redacted, the player's name too.
    EXPECT_EQ(seen.logExcerpt, QStringLiteral("[main/INFO] Setting user: [REDACTED_USER]\n"
                                              "[B#910] Launching modpack tekkit-2 build 1.2.6\n"));
    // Polls at 0, 0.4, 0.8, 1.2 and 1.6 seconds, each followed by a 0.4-second sleep.
    EXPECT_EQ(watch.clock->sleeps(), 5);
    for (const auto length : watch.clock->sleepLengths())
        EXPECT_EQ(length, std::chrono::steady_clock::duration(LaunchObserver::pollInterval));
}

TEST(LaunchObserver, TimeoutWithoutTechnic)
{
    Watch watch({FakeProcessInspector::technicApp(), FakeProcessInspector::nothing()});
    const LaunchObservation seen = watch.observe(1);
    EXPECT_EQ(seen.outcome, LaunchOutcome::timedOut);
    EXPECT_EQ(seen.message, LaunchMessages::technicOpen);
    EXPECT_FALSE(seen.technicRunning);
    EXPECT_TRUE(seen.openedTechnic);
}

TEST(LaunchObserver, JavaSeenOnceStillEndsAsJavaStarted)
{
    Watch watch({FakeProcessInspector::technicApp(), FakeProcessInspector::technicAndGame("arm64", false),
                 FakeProcessInspector::nothing()});
    const LaunchObservation seen = watch.observe(2);
    EXPECT_EQ(seen.outcome, LaunchOutcome::javaStarted);
    EXPECT_EQ(seen.message, LaunchMessages::javaStarted);
    EXPECT_TRUE(seen.javaRunning);
    EXPECT_FALSE(seen.technicRunning);
    EXPECT_EQ(seen.javaArchitecture, QStringLiteral("arm64"));
    EXPECT_EQ(seen.translated, false);
}

TEST(LaunchObserver, ZeroOrNegativeTimeoutEndsAtOnceAfterOneTechnicTest)
{
    for (const double timeout : {0.0, -3.0}) {
        Watch watch;
        watch.home.copySampleLauncherLog();
        const LaunchObservation seen = watch.observe(timeout);
        EXPECT_EQ(seen.outcome, LaunchOutcome::openedTechnicWaitingForPlayer);
        EXPECT_EQ(seen.logExcerpt, QString());
        EXPECT_EQ(watch.clock->sleeps(), 0);
        // The launcher's Java is asked first; the first yes ends the test.
        EXPECT_EQ(watch.processes->questions(),
                  (std::vector<QString>{QStringLiteral("launcherJava"), QStringLiteral("name:TechnicLauncher"),
                                        QStringLiteral("name:Technic Launcher")}));
    }
}

TEST(LaunchObserver, AsksTheTechnicQuestionsInOrderThenTheGame)
{
    Watch watch({FakeProcessInspector::nothing()});
    watch.observe(0.1);
    const std::vector<QString> expected{
        QStringLiteral("launcherJava"),         QStringLiteral("name:TechnicLauncher"),
        QStringLiteral("name:Technic Launcher"), QStringLiteral("bundle:net.technicpack"),
        QStringLiteral("gameJava"),
    };
    const auto asked = watch.processes->questions();
    ASSERT_GE(asked.size(), expected.size());
    EXPECT_EQ(std::vector<QString>(asked.begin(), asked.begin() + qsizetype(expected.size())), expected);
}

TEST(LaunchObserver, WithoutAnInstanceOnlyTheLauncherLogAndProcessesCount)
{
    Watch watch;
    watch.hooks[1] = [&] {
        appendFile(watch.gameLog(), forgeLine);
        writeFile(watch.crashReport(), "---- Minecraft Crash Report ----\n");
    };
    const LaunchObservation seen = watch.observe(2, false, true);
    EXPECT_EQ(seen.outcome, LaunchOutcome::openedTechnicWaitingForPlayer);
    EXPECT_EQ(seen.logExcerpt, QString());

    Watch launcherOnly;
    launcherOnly.home.copySampleLauncherLog();
    launcherOnly.hooks[1] = [&] { appendFile(launcherOnly.launcherLog(), "Unknown error: null\n"); };
    EXPECT_EQ(launcherOnly.observe(2, false, true).outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(launcherOnly.observe(2, false, false).outcome, LaunchOutcome::openedTechnicWaitingForPlayer);
}

TEST(LaunchObserver, LatestLauncherLogIsTheNewestMatchingName)
{
    Watch watch;
    const auto logs = watch.home.dataRoot() / "logs";
    EXPECT_EQ(LaunchWatch::latestLauncherLog(watch.home.root() / "nowhere"), std::nullopt);
    const QDateTime now = watch.clock->currentDate();
    writeFile(logs / "techniclauncher_2026-12-08.log", "a");
    setModified(logs / "techniclauncher_2026-12-08.log", now.addSecs(-100));
    writeFile(logs / "techniclauncher_2026-12-09.log", "b");
    setModified(logs / "techniclauncher_2026-12-09.log", now.addSecs(-50));
    writeFile(logs / "TechnicLauncher_newest.log", "c"); // letter case differs
    writeFile(logs / "techniclauncher_newest.txt", "d"); // other extension
    EXPECT_EQ(LaunchWatch::latestLauncherLog(watch.home.dataRoot()), logs / "techniclauncher_2026-12-09.log");
}

TEST(LaunchObserver, CancelDuringTheSleepEndsTheWatchWithTheCancellation)
{
    Watch watch;
    watch.hooks[3] = [&] { watch.stop.request_stop(); };
    EXPECT_THROW(watch.observe(), CancellationError);
    EXPECT_EQ(watch.clock->sleeps(), 3);
}

TEST(LaunchObserver, CancelWakesTheRealSleepAtOnce)
{
    FixtureHome home;
    auto processes = std::make_shared<FakeProcessInspector>();
    const LaunchObserver observer(processes, 600);
    std::stop_source stop;
    std::jthread canceller([&] {
        while (processes->questions().empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stop.request_stop();
    });
    const auto began = std::chrono::steady_clock::now();
    EXPECT_THROW(observer.observe(home.instanceRoot(), home.dataRoot(), stop.get_token()), CancellationError);
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
}

TEST(LaunchObserver, ALauncherThatFailsInItsFirstSecondsEndsTheWatchAsAStartupIssue)
{
    const QByteArray corrupt = "Error: Invalid or corrupt jarfile /home/jo/Applications/TechnicLauncher.jar\n";
    const QString corruptMessage = QStringLiteral("Technic did not start: Java exited 1. Error: Invalid or corrupt "
                                                  "jarfile $HOME/Applications/TechnicLauncher.jar");
    struct Case {
        const char* name;
        int endsAfterSleep; // 0: before the first poll
        ChildExit exit;
        QByteArray errorOutput;
        double timeout;
        std::optional<QString> failure; // absent: the watch goes on to its deadline
        int sleeps;
    } cases[] = {
        {"status 1 at once", 0, {1, false}, corrupt, 180, corruptMessage, 0},
        {"a signal a second in", 3, {9, true}, {}, 180,
         QStringLiteral("Technic did not start: Java was ended by signal 9."), 3},
        {"status 1 in the last poll of the window", 12, {1, false}, corrupt, 180, corruptMessage, 12},
        // Later ends are left to the watch: the launcher may have handed over.
        {"status 1 after the window", 13, {1, false}, corrupt, 8, std::nullopt, 20},
        // A clean exit is no failure: the launcher may have started a new process of its own.
        {"status 0 at once", 0, {0, false}, "updating\n", 2, std::nullopt, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Watch watch;
        watch.launcher = std::make_shared<FakeStartedProcess>();
        if (c.endsAfterSleep == 0)
            watch.launcher->end(c.exit, c.errorOutput);
        else
            watch.hooks[c.endsAfterSleep] = [&] { watch.launcher->end(c.exit, c.errorOutput); };
        const LaunchObservation seen = watch.observe(c.timeout);
        EXPECT_EQ(watch.clock->sleeps(), c.sleeps);
        if (c.failure) {
            EXPECT_EQ(seen.outcome, LaunchOutcome::crashDetected);
            EXPECT_EQ(seen.message, *c.failure);
            EXPECT_EQ(seen.logExcerpt, LauncherStartFailure::excerpt(c.errorOutput));
            EXPECT_TRUE(seen.openedTechnic);
            EXPECT_TRUE(seen.technicRunning); // as the process table answered
            EXPECT_FALSE(seen.javaRunning);
        } else {
            EXPECT_EQ(seen.outcome, LaunchOutcome::openedTechnicWaitingForPlayer);
            EXPECT_EQ(seen.message, LaunchMessages::technicOpen);
        }
    }
}

namespace {

QByteArray sample(const char* relative)
{
    return readFile(std::filesystem::path(ORVANE_TEST_FIXTURES) / "technic" / relative);
}

// `text` up to the first occurrence of `marker`, plus `into` bytes of it; and the rest.
std::pair<QByteArray, QByteArray> splitAt(const QByteArray& text, const char* marker, qsizetype into = 0)
{
    const qsizetype at = text.indexOf(marker);
    EXPECT_GE(at, 0) << marker;
    const qsizetype lineStart = into == 0 ? text.lastIndexOf('\n', at) + 1 : at + into;
    return {text.left(lineStart), text.mid(lineStart)};
}

} // namespace

TEST(LaunchObserver, RealForgeStartsAndCrashesEndTheWatchAsWhatTheyAre)
{
    const QByteArray clean = sample("instance/logs/latest.log.clean-start.sample");
    const QByteArray modCrash = sample("instance/logs/latest.log.mod-loading-crash.sample");
    const QByteArray modCrashReport = sample("instance/crash-reports/crash-2026-12-09_10.04.12-client.txt.mod-loading.sample");
    const QByteArray jvmDies = sample("instance/logs/latest.log.jvm-dies.sample");
    const QByteArray fatalErrorLog = sample("instance/hs_err_pid4242.log.sample");
    const QByteArray gameConsole = sample("logs/techniclauncher-game-console.sample");

    const auto [cleanStart, cleanLoaded] = splitAt(clean, "Forge Mod Loader has successfully loaded");
    const auto [cleanUpToForge, cleanFromForge] = splitAt(cleanStart, "MinecraftForge v14.23.5.2860 Initialized");
    // The success line cut inside its marker, as a writer flushing mid-line leaves it.
    const auto [cleanLoadedHead, cleanLoadedTail] = splitAt(cleanLoaded, "successfully", 5);
    const auto [modStart, modFailure] = splitAt(modCrash, "Fatal errors were detected");
    const auto [modUntilReport, modPrintedReport] = splitAt(modCrash, "[STDOUT]");
    const QByteArray vintageFix = "[10:04:33] [Client thread/INFO] [vintagefix]: VintageFix: Game launch took 49.1 seconds\n";
    const QByteArray lwjglFailure =
        "[10:03:51] [Client thread/ERROR] [minecraft/Minecraft]: Couldn't load natives\n"
        "java.lang.UnsatisfiedLinkError: /Users/example/Library/Application Support/technic/modpacks/tekkit-2/bin/natives/"
        "liblwjgl.dylib: dlopen(liblwjgl.dylib, 0x0001): tried: 'liblwjgl.dylib' (mach-o file, but is an incompatible "
        "architecture (have 'x86_64', need 'arm64'))\n";

    enum class File { gameLog, crashReport, fatalErrorLog, launcherLog };
    struct Write {
        int afterSleep; // 0: before the watch starts
        File file;
        QByteArray bytes;
    };
    const Answers game = FakeProcessInspector::technicAndGame("x86_64", true);
    const Answers technic = FakeProcessInspector::technicApp();
    struct Case {
        const char* name;
        std::vector<Answers> processes;
        std::vector<Write> writes;
        double timeout;
        LaunchOutcome outcome;
        QString message;
        int sleeps;
        std::vector<const char*> excerptHas;
    } cases[] = {
        {"a clean start is Forge loaded only once the mods have loaded",
         {technic, game},
         {{1, File::gameLog, cleanUpToForge},
          {3, File::gameLog, cleanFromForge},
          {5, File::gameLog, cleanLoadedHead},
          {6, File::gameLog, cleanLoadedTail}},
         180, LaunchOutcome::forgeLoaded, LaunchMessages::forgeLoadedTranslated, 6,
         {"Forge Mod Loader version 14.23.5.2860 for Minecraft 1.12.2 loading",
          "Forge Mod Loader has successfully loaded 184 mods", "$HOME/Library/Application Support/technic"}},
        {"VintageFix's launch time is Forge loaded too",
         {technic, game},
         {{1, File::gameLog, cleanStart}, {4, File::gameLog, vintageFix}},
         180, LaunchOutcome::forgeLoaded, LaunchMessages::forgeLoadedTranslated, 4,
         {"VintageFix: Game launch took 49.1 seconds"}},
        {"Forge's start-up lines alone decide nothing",
         {technic, game},
         {{1, File::gameLog, cleanUpToForge}, {2, File::gameLog, cleanFromForge}},
         4, LaunchOutcome::javaStarted, LaunchMessages::javaStarted, 10,
         {"MinecraftForge v14.23.5.2860 Initialized"}},
        {"the game's console in the launcher log decides nothing",
         {technic, game},
         {{1, File::launcherLog, gameConsole}, {1, File::gameLog, cleanUpToForge}},
         2, LaunchOutcome::javaStarted, LaunchMessages::javaStarted, 5,
         {"<![CDATA[Forge Mod Loader version 14.23.5.2860 for Minecraft 1.12.2 loading]]>"}},
        {"a crash while mods load, printed into the game log",
         {technic, game},
         {{1, File::gameLog, modStart}, {4, File::gameLog, modFailure}, {4, File::crashReport, modCrashReport}},
         180, LaunchOutcome::crashDetected, LaunchMessages::crashReport, 4,
         {"net.minecraftforge.fml.common.LoaderExceptionModCrash: Caught exception from examplemod042",
          "#@!@# Game crashed!"}},
        {"a crash while mods load, shown by its crash report alone",
         {technic, game},
         {{1, File::gameLog, modStart}, {3, File::gameLog, modUntilReport.mid(modStart.size())},
          {5, File::crashReport, modCrashReport}},
         180, LaunchOutcome::crashDetected, LaunchMessages::crashReport, 5,
         {"Description: There was a severe problem during mod loading"}},
        {"a JVM that dies leaves a fatal-error log, seen the poll it appears",
         {technic, game, game, game, technic},
         {{1, File::gameLog, jvmDies}, {3, File::fatalErrorLog, fatalErrorLog}},
         180, LaunchOutcome::crashDetected, LaunchMessages::crashReport, 3,
         {"LWJGL Version: 2.9.4", "# A fatal error has been detected by the Java Runtime Environment:",
          "C  [liblwjgl.dylib+0x1de2b]", "elapsed time: 9.821411 seconds"}},
        {"a fatal-error log still empty counts once it has text",
         {technic, game},
         {{1, File::gameLog, jvmDies}, {2, File::fatalErrorLog, ""}, {3, File::fatalErrorLog, fatalErrorLog}},
         180, LaunchOutcome::crashDetected, LaunchMessages::crashReport, 3, {"SIGSEGV (0xb)"}},
        {"a fatal-error log from before the start is no crash",
         {technic, game},
         {{0, File::fatalErrorLog, fatalErrorLog}, {1, File::gameLog, jvmDies}},
         2, LaunchOutcome::javaStarted, LaunchMessages::javaStarted, 5, {"LWJGL Version: 2.9.4"}},
        {"LWJGL natives of the wrong architecture",
         {technic, game},
         {{1, File::gameLog, jvmDies + lwjglFailure}},
         180, LaunchOutcome::crashDetected, LaunchMessages::lwjglArchitecture, 1, {"UnsatisfiedLinkError"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Watch watch(c.processes);
        const auto path = [&](File file) {
            switch (file) {
            case File::gameLog: return watch.latestLog();
            case File::crashReport: return watch.crashReport("crash-2026-12-09_10.04.12-client.txt");
            case File::fatalErrorLog: return watch.home.instanceRoot() / "hs_err_pid4242.log";
            case File::launcherLog: return watch.launcherLog();
            }
            return std::filesystem::path();
        };
        for (const Write& write : c.writes) {
            if (write.afterSleep == 0) {
                appendFile(path(write.file), write.bytes);
                setModified(path(write.file), watch.clock->currentDate().addSecs(-5));
                continue;
            }
            const auto before = watch.hooks[write.afterSleep];
            watch.hooks[write.afterSleep] = [&, before] {
                if (before)
                    before();
                appendFile(path(write.file), write.bytes);
            };
        }
        const LaunchObservation seen = watch.observe(c.timeout);
        EXPECT_EQ(seen.outcome, c.outcome);
        EXPECT_EQ(seen.message, c.message);
        EXPECT_EQ(watch.clock->sleeps(), c.sleeps);
        for (const char* part : c.excerptHas)
            EXPECT_TRUE(seen.logExcerpt.contains(QString::fromUtf8(part))) << part;
        EXPECT_FALSE(seen.logExcerpt.contains(QStringLiteral("/Users/example")));
    }
}

TEST(LaunchObserver, AHugeLogStreamedOverPollsKeepsOnlyTheTailTheExcerptShows)
{
    constexpr qsizetype gameLogBytes = qsizetype(256) << 20;
    constexpr qsizetype pieceBytes = qsizetype(8) << 20;
    // A warning a broken pack repeats by the million; nothing in it decides anything.
    const QByteArray warning = "[10:04:02] [Client thread/WARN] [FML]: Potentially Dangerous alternative prefix "
                               "`minecraft` for name `examplemod042:block`, expected `examplemod042`. This could be a "
                               "intended override, but in most cases indicates a broken mod.\n";
    QByteArray piece;
    while (piece.size() < pieceBytes)
        piece += warning;
    const QByteArray launcherPiece = piece.left(piece.size() / 8);

    FixtureHome home;
    const auto gameLog = home.instanceRoot() / "logs" / "latest.log";
    const auto launcherLog = home.dataRoot() / "logs" / "techniclauncher_2026-12-09.log";
    LaunchWatch watch(std::make_shared<FakeProcessInspector>(), home.instanceRoot(), home.dataRoot(),
                      QDateTime::currentDateTimeUtc());
    qsizetype mostKept = 0;
    for (qsizetype written = 0; written < gameLogBytes; written += piece.size()) {
        appendFile(gameLog, piece);
        appendFile(launcherLog, launcherPiece);
        EXPECT_FALSE(watch.poll());
        mostKept = std::max(mostKept, watch.gameText().size() + watch.launcherText().size());
    }
    // The game prints its crash report into the log; the header is cut between two polls.
    appendFile(gameLog, "[10:04:12] [Client thread/INFO] [STDOUT]: [net.minecraft.init.Bootstrap:func_179870_a:553]: "
                        "---- Minecraft Cra");
    EXPECT_FALSE(watch.poll());
    appendFile(gameLog, "sh Report ----\n// Why did you do that?\n");
    const auto decided = watch.poll();

    ASSERT_TRUE(decided);
    EXPECT_EQ(decided->outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(decided->message, LaunchMessages::crashReport);
    EXPECT_GE(watch.bytesRead(), std::uint64_t(gameLogBytes + gameLogBytes / 8));
    EXPECT_LE(mostKept, 2 * LaunchWatch::keptTextLength);
    EXPECT_LE(watch.gameText().size(), LaunchWatch::keptTextLength);
    EXPECT_LE(decided->logExcerpt.size(), LaunchWatch::keptTextLength);
    EXPECT_GT(decided->logExcerpt.size(), LaunchWatch::keptTextLength / 2);
    // The tail starts at a whole line and ends with what the game wrote last.
    EXPECT_TRUE(decided->logExcerpt.startsWith(QStringLiteral("[10:04:02] [Client thread/WARN]")));
    EXPECT_TRUE(decided->logExcerpt.endsWith(QStringLiteral("---- Minecraft Crash Report ----\n// Why did you do that?\n")));
}
