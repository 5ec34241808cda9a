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
#include "LaunchObserverWatch.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <thread>

using namespace orvane;
using namespace orvane::test;
using namespace orvane::test::launchObserver;


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
