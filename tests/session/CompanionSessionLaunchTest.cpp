#include "session/CompanionSession.h"

#include "platform/LinuxProcessTable.h"
#include "records/LaunchReceiptStore.h"
#include "technic/OfficialTechnicLaunchProvider.h"
#include "technic/ProcessEnumerator.h"

#include "session/LaunchChecks.h"
#include "session/LaunchRig.h"
#include "support/ExecutableSamples.h"
#include "support/FakeStartedProcess.h"
#include "support/LogFiles.h"
#include "support/ProcFixture.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <future>
#include <thread>

using namespace orvane;
using namespace orvane::test;
using Kind = LaunchEventKind;
using State = LaunchResultState;

namespace {

mode_t permissions(const std::filesystem::path& path)
{
    struct stat info{};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// A launch on its own thread, as the application runs one on its pool while other calls arrive.
std::future<LaunchResult> launchInBackground(CompanionSession& session, EventSink& sink,
                                             std::stop_token callerStop = {})
{
    return std::async(std::launch::async, [&session, &sink, callerStop] {
        return session.launchSelectedPack(sink.handler(), callerStop);
    });
}

const QString inProgress = QStringLiteral("A pack launch is already in progress.");
const QString stale =
    QStringLiteral("Launch finished after the selected pack or instance changed; its result was discarded.");
const QString cancelled = QStringLiteral("The operation was cancelled.");

} // namespace

TEST(CompanionSessionLaunch, DeliversEveryEventInOrderStoresTheResultAndWritesAPrivateReceipt)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    provider->release.set();
    LaunchRig rig(provider);
    EventSink sink;

    const LaunchResult result = rig.session->launchSelectedPack(sink.handler());

    EXPECT_EQ(kinds(sink.events()), (std::vector{Kind::preparing, Kind::waitingForPlayer, Kind::completed}));
    EXPECT_EQ(sink.events(), result.events);
    EXPECT_EQ(result.state, State::gameLoaded);
    EXPECT_EQ(rig.session->lastLaunchResult(), result);
    EXPECT_EQ(rig.session->lastLaunch(), result.legacyObservation);

    // The request names the inspected install and a fresh operation.
    const PackLaunchRequest request = provider->requests().at(0);
    EXPECT_EQ(request.operationID, result.operationID);
    EXPECT_EQ(request.pack, PackDescriptor::tekkit2);
    EXPECT_EQ(request.providerApplication, rig.home.launcherPath());
    EXPECT_EQ(request.providerDataRoot, rig.home.dataRoot());
    EXPECT_EQ(request.instanceRoot, rig.home.instanceRoot());

    const auto receiptFile = rig.session->lastLaunchReceipt();
    ASSERT_TRUE(receiptFile);
    const auto folder = rig.paths().diagnostics / "launch-receipts";
    EXPECT_EQ(receiptFile->parent_path(), folder);
    EXPECT_EQ(permissions(folder), 0700u);
    EXPECT_EQ(permissions(*receiptFile), 0600u);
    const auto stored = LaunchReceiptStore(folder).latest();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->receipt.instanceIdentity, QStringLiteral("tekkit-2@1.2.6"));
    EXPECT_EQ(stored->receipt.outcome, LaunchOutcome::forgeLoaded);
    EXPECT_EQ(stored->receipt.appVersion, QStringLiteral("1.4.0"));
    EXPECT_EQ(stored->receipt.rosettaInstalled, true);
    // The rig's clock reads a minute after the scripted start.
    EXPECT_EQ(stored->receipt.elapsedObservationMilliseconds, 60000);

    // Idle again: the next launch is accepted.
    EXPECT_NO_THROW(rig.session->launchSelectedPack({}));
    EXPECT_EQ(provider->calls, 2);
}

TEST(CompanionSessionLaunch, ASelectionChangeDuringTheWatchIsServedAtOnceAndMakesTheResultStale)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    LaunchRig rig(provider);
    EventSink sink;
    auto launch = launchInBackground(*rig.session, sink);
    ASSERT_TRUE(provider->watching.wait());

    // Served while the watch runs: the lock is not held by the launch.
    rig.session->setLabInstance(rig.home.instanceRoot());
    EXPECT_EQ(rig.session->stateGeneration(), 1u);
    provider->release.set();

    EXPECT_EQ(errorText([&] { launch.get(); }), stale);
    expectNothingStored(*rig.session);

    // A new launch is accepted and stored.
    const LaunchResult next = rig.session->launchSelectedPack({});
    EXPECT_EQ(rig.session->lastLaunchResult(), next);
}

TEST(CompanionSessionLaunch, ASecondLaunchDuringTheFirstIsRefusedAndTheFirstCompletes)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    LaunchRig rig(provider);
    EventSink sink;
    auto first = launchInBackground(*rig.session, sink);
    ASSERT_TRUE(provider->watching.wait());

    EventSink secondSink;
    EXPECT_EQ(errorText([&] { rig.session->launchSelectedPack(secondSink.handler()); }), inProgress);
    EXPECT_TRUE(secondSink.events().empty());
    EXPECT_EQ(provider->calls, 1);

    provider->release.set();
    const LaunchResult result = first.get();
    EXPECT_EQ(rig.session->lastLaunchResult(), result);
    EXPECT_EQ(sink.events(), result.events);
}

TEST(CompanionSessionLaunch, CancelStopsTheWatchAtOnceStoresNothingAndDropsLaterEvents)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    // After the stop the provider still reports one event, then gives up.
    provider->script = [&provider](ScriptedPlay& play, std::stop_token stop) {
        play.report(Kind::preparing);
        provider->watching.set();
        if (!provider->release.wait(stop)) {
            play.report(Kind::cancelled);
            throw CancellationError();
        }
        play.report(Kind::completed);
        return play.result(State::handoffReady);
    };
    LaunchRig rig(provider);
    EXPECT_FALSE(rig.session->cancelActiveLaunch());

    EventSink sink;
    auto launch = launchInBackground(*rig.session, sink);
    ASSERT_TRUE(provider->watching.wait());
    EXPECT_TRUE(rig.session->cancelActiveLaunch());
    ASSERT_EQ(launch.wait_for(std::chrono::seconds(1)), std::future_status::ready);
    EXPECT_EQ(errorText([&] { launch.get(); }), cancelled);

    EXPECT_EQ(kinds(sink.events()), std::vector{Kind::preparing});
    expectNothingStored(*rig.session);
    EXPECT_EQ(rig.session->cancelledLaunchCount(), 1u);
    expectIdle(*rig.session);
}

TEST(CompanionSessionLaunch, AProviderThatReportsFromItsStopCallbackIsCancelledWithoutADeadlock)
{
    // Where the stop is requested from: the test's own thread, or the caller's handler on the provider's
    // thread (which then holds the session's delivery of the event it is handling).
    enum class From { cancelOnAnotherThread, cancelInTheHandler, callerTokenInTheHandler };
    struct Case {
        const char* name;
        From from;
        std::size_t cancelledTokens;
    };
    const Case cases[] = {
        {"cancelActiveLaunch on another thread", From::cancelOnAnotherThread, 1},
        {"cancelActiveLaunch in the handler", From::cancelInTheHandler, 1},
        {"the caller's token in the handler", From::callerTokenInTheHandler, 0},
    };
    // A hang is the fault looked for: give up at once instead of leaving the test blocked for ever.
    const auto within = [](auto& future, std::chrono::milliseconds bound) {
        if (future.wait_for(bound) == std::future_status::ready)
            return true;
        ADD_FAILURE() << "no answer within " << bound.count() << " ms";
        std::_Exit(1);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto provider = std::make_shared<ScriptedProvider>();
        provider->script = [&provider](ScriptedPlay& play, std::stop_token stop) -> LaunchResult {
            const std::stop_callback reportCancel(stop, [&play] { play.report(Kind::cancelled); });
            play.report(Kind::preparing);
            provider->watching.set();
            provider->release.wait(stop);
            throw CancellationError();
        };
        LaunchRig rig(provider);
        EventSink sink;
        std::stop_source caller;
        std::atomic<bool> handlerAnswer = false;
        const LaunchEventHandler record = sink.handler();
        const LaunchEventHandler handler = [&](const LaunchEvent& event) {
            record(event);
            if (event.kind != Kind::preparing)
                return;
            if (c.from == From::cancelInTheHandler)
                handlerAnswer = rig.session->cancelActiveLaunch();
            else if (c.from == From::callerTokenInTheHandler)
                caller.request_stop();
        };
        auto launch = std::async(std::launch::async, [&] {
            return rig.session->launchSelectedPack(handler, caller.get_token());
        });
        if (c.from == From::cancelOnAnotherThread) {
            ASSERT_TRUE(provider->watching.wait());
            auto cancel = std::async(std::launch::async, [&] { return rig.session->cancelActiveLaunch(); });
            within(cancel, std::chrono::seconds(1));
            EXPECT_TRUE(cancel.get());
        }
        within(launch, std::chrono::seconds(10));
        EXPECT_EQ(errorText([&] { launch.get(); }), cancelled);
        if (c.from == From::cancelInTheHandler) {
            EXPECT_TRUE(handlerAnswer);
        }

        // The cancelled event came after the stop and was dropped; the session answers and is idle.
        EXPECT_EQ(kinds(sink.events()), std::vector{Kind::preparing});
        EXPECT_EQ(rig.session->cancelledLaunchCount(), c.cancelledTokens);
        EXPECT_EQ(rig.session->selectedPackID(), PackID::tekkit2);
        expectNothingStored(*rig.session);
        expectIdle(*rig.session);
    }
}

TEST(CompanionSessionLaunch, ACancelledLaunchFailsEvenWhenItsProviderReturnsAValidResult)
{
    // Through the session's cancel (made from the handler, on the provider's thread) and through the
    // caller's token: either way the provider ignores the stop and returns a valid result.
    for (const bool throughCallerToken : {false, true}) {
        SCOPED_TRACE(throughCallerToken ? "caller token" : "cancelActiveLaunch");
        const auto provider = std::make_shared<ScriptedProvider>();
        provider->script = [](ScriptedPlay& play, std::stop_token) {
            play.report(Kind::preparing);
            play.report(Kind::completed);
            return play.result(State::handoffReady);
        };
        LaunchRig rig(provider);
        std::stop_source caller;
        bool cancelAnswer = false;
        const auto handler = [&](const LaunchEvent& event) {
            if (event.kind != Kind::preparing)
                return;
            if (throughCallerToken)
                caller.request_stop();
            else
                cancelAnswer = rig.session->cancelActiveLaunch();
        };
        EXPECT_EQ(errorText([&] { rig.session->launchSelectedPack(handler, caller.get_token()); }), cancelled);
        EXPECT_EQ(cancelAnswer, !throughCallerToken);
        EXPECT_EQ(rig.session->cancelledLaunchCount(), throughCallerToken ? 0u : 1u);
        expectNothingStored(*rig.session);
        expectIdle(*rig.session);
    }
}

TEST(CompanionSessionLaunch, TheCallersTokenStopsTheWatch)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    LaunchRig rig(provider);
    EventSink sink;
    std::stop_source caller;
    auto launch = launchInBackground(*rig.session, sink, caller.get_token());
    ASSERT_TRUE(provider->watching.wait());
    caller.request_stop();
    ASSERT_EQ(launch.wait_for(std::chrono::seconds(1)), std::future_status::ready);
    EXPECT_EQ(errorText([&] { launch.get(); }), cancelled);
    expectNothingStored(*rig.session);
    expectIdle(*rig.session);

    // A token stopped before the launch ends it as soon as the provider looks.
    std::stop_source early;
    early.request_stop();
    EXPECT_EQ(errorText([&] { rig.session->launchSelectedPack({}, early.get_token()); }), cancelled);
    expectIdle(*rig.session);
}

TEST(CompanionSessionLaunch, ManyCancelledLaunchesKeepAtMost32Tokens)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    provider->script = [](ScriptedPlay& play, std::stop_token stop) {
        play.report(Kind::preparing);
        if (stop.stop_requested())
            throw CancellationError();
        play.report(Kind::completed);
        return play.result(State::handoffReady);
    };
    LaunchRig rig(provider);
    const auto cancelFromHandler = [&](const LaunchEvent&) { rig.session->cancelActiveLaunch(); };
    std::vector<std::size_t> counts;
    for (int i = 0; i < 40; ++i) {
        EXPECT_THROW(rig.session->launchSelectedPack(cancelFromHandler), CancellationError);
        counts.push_back(rig.session->cancelledLaunchCount());
    }
    EXPECT_EQ(counts[31], 32u);
    // The 33rd cancel starts the set afresh with its own token.
    EXPECT_EQ(counts[32], 1u);
    EXPECT_EQ(counts[39], 8u);
    for (const auto count : counts)
        EXPECT_LE(count, 32u);
}

TEST(CompanionSessionLaunch, AResultWithoutObservationIsStoredWithoutAReceipt)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    provider->script = [](ScriptedPlay& play, std::stop_token) {
        play.report(Kind::completed);
        return play.result(State::handoffReady, QStringLiteral("Handed over."), false);
    };
    LaunchRig rig(provider);
    const LaunchResult result = rig.session->launchSelectedPack({});
    EXPECT_EQ(rig.session->lastLaunchResult(), result);
    EXPECT_EQ(rig.session->lastLaunch(), std::nullopt);
    EXPECT_EQ(rig.session->lastLaunchReceipt(), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(rig.paths().diagnostics));

    EXPECT_EQ(errorText([&] { rig.session->openTechnic(); }),
              QStringLiteral("The selected provider did not return a Technic observation."));
}

TEST(CompanionSessionLaunch, AReceiptThatCannotBeWrittenIsSkippedSilently)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    provider->release.set();
    LaunchRig rig(provider);
    // The diagnostics folder is a file, so no receipt folder can be made in it.
    std::filesystem::create_directories(rig.paths().applicationSupport);
    writeFile(rig.paths().diagnostics, "not a folder");

    const LaunchObservation observation = rig.session->openTechnic();
    EXPECT_EQ(observation.outcome, LaunchOutcome::forgeLoaded);
    EXPECT_EQ(rig.session->lastLaunch(), observation);
    EXPECT_EQ(rig.session->lastLaunchReceipt(), std::nullopt);
    EXPECT_EQ(rig.session->loadLatestLaunchReceipt(), std::nullopt);
}

TEST(CompanionSessionLaunch, EndToEndThroughTheOfficialProviderWithAFakeProcessTable)
{
    TempDir machine;
    ProcFixture proc(machine.path());
    LaunchRig::Options options;
    options.processes = std::make_shared<ProcessEnumerator>(std::make_shared<LinuxProcessTable>(machine.path()),
                                                            FileOperations::system(), QStringLiteral("arm64"));
    LaunchRig rig(nullptr, options);

    // Opening the launcher starts its process; a poll later the game runs and Forge finishes loading.
    const auto launcherExecutable = rig.home.launcherPath() / "Contents" / "MacOS" / "TechnicLauncher";
    rig.opener->onOpen = [&](const std::filesystem::path&) {
        proc.addProcess(501, launcherExecutable, {launcherExecutable.native()});
    };
    const auto gameJava = machine.path() / "jre" / "bin" / "java";
    writeFile(gameJava, machOHeader(cpuTypeArm64));
    rig.clock->onSleep = [&](int poll) {
        if (poll != 1)
            return;
        proc.addProcess(777, gameJava,
                        {gameJava.native(), "-Xmx4096m", "net.minecraft.launchwrapper.Launch", "--tweakClass",
                         "net.minecraftforge.fml.common.launcher.FMLTweaker"});
        appendFile(rig.home.instanceRoot() / "logs" / "fml-client-latest.log",
                   "[Client thread/INFO] [FML]: Forge Mod Loader has successfully loaded 181 mods\n");
    };

    EventSink sink;
    const LaunchResult result = rig.session->launchSelectedPack(sink.handler());

    EXPECT_EQ(rig.opener->opened(), std::vector{rig.home.launcherPath()});
    EXPECT_EQ(kinds(sink.events()), (std::vector{Kind::preparing, Kind::openingProvider, Kind::waitingForPlayer,
                                                 Kind::gameLoaded, Kind::completed}));
    EXPECT_EQ(sink.events(), result.events);
    EXPECT_EQ(result.providerID, LaunchProviderID::officialTechnic);
    EXPECT_EQ(result.state, State::gameLoaded);
    ASSERT_TRUE(result.legacyObservation);
    EXPECT_EQ(result.legacyObservation->outcome, LaunchOutcome::forgeLoaded);
    EXPECT_EQ(result.legacyObservation->javaArchitecture, QStringLiteral("arm64"));
    EXPECT_EQ(rig.session->lastLaunchResult(), result);
    EXPECT_EQ(rig.session->lastLaunch(), result.legacyObservation);

    const auto receipt = rig.session->loadLatestLaunchReceipt();
    ASSERT_TRUE(receipt);
    EXPECT_EQ(receipt->outcome, LaunchOutcome::forgeLoaded);
    EXPECT_EQ(receipt->instanceIdentity, QStringLiteral("tekkit-2@1.2.6"));
    EXPECT_EQ(receipt->javaArchitecture, QStringLiteral("arm64"));
    EXPECT_EQ(rig.session->lastLaunchReceipt()->parent_path(), rig.paths().diagnostics / "launch-receipts");
}

TEST(CompanionSessionLaunch, ALauncherThatFailsToStartIsAFailedLaunchWithItsErrorInTheReceiptAndTheDiagnostics)
{
    LaunchRig rig(nullptr);
    const QString jar = QStringLiteral("/home/jo/Applications/TechnicLauncher.jar");
    rig.opener->onOpen = [&](const std::filesystem::path&) {
        auto launcher = std::make_shared<FakeStartedProcess>();
        launcher->end({1, false}, "Error: Invalid or corrupt jarfile " + jar.toUtf8() + "\n");
        rig.opener->started = launcher;
    };

    const LaunchResult result = rig.session->launchSelectedPack({});
    const QString lead = QStringLiteral("Technic did not start: Java exited 1. Error: Invalid or corrupt jarfile ");
    EXPECT_EQ(result.state, State::failed);
    EXPECT_EQ(result.events.back().kind, Kind::failed);
    const QString redacted = lead + QStringLiteral("$HOME/Applications/TechnicLauncher.jar");
    EXPECT_EQ(result.message, redacted);
    EXPECT_EQ(rig.clock->sleeps(), 0); // seen at the first poll

    // The same in the receipt and in the diagnostics.
    const auto receipt = rig.session->loadLatestLaunchReceipt();
    ASSERT_TRUE(receipt);
    EXPECT_EQ(receipt->outcome, LaunchOutcome::crashDetected);
    EXPECT_EQ(receipt->failure, redacted);
    const auto diagnostics = rig.session->writeDiagnostics();
    ASSERT_TRUE(diagnostics.summary.lastLaunchResult);
    EXPECT_EQ(diagnostics.summary.lastLaunchResult->message, redacted);
    EXPECT_EQ(diagnostics.summary.redactedLog,
              QStringLiteral("Error: Invalid or corrupt jarfile $HOME/Applications/TechnicLauncher.jar"));
    EXPECT_TRUE(diagnostics.summary.preview.contains(QStringLiteral("state=failed message=") + redacted));
}
