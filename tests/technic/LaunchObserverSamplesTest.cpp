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

using namespace orvane;
using namespace orvane::test;
using namespace orvane::test::launchObserver;

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
            watch.after(write.afterSleep, [&] { appendFile(path(write.file), write.bytes); });
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
