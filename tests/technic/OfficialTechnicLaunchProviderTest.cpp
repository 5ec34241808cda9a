#include "technic/OfficialTechnicLaunchProvider.h"

#include "json/DescribedError.h"
#include "model/LaunchContractLimits.h"
#include "model/LaunchProviderError.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "technic/LaunchLogClassifier.h"
#include "technic/OpenCommandOpener.h"
#include "technic/TechnicJavaSafety.h"

#include "support/FakeJava.h"
#include "support/FakeLaunchClock.h"
#include "support/FakeProcessInspector.h"
#include "support/FaultyFileOperations.h"
#include "support/FixtureHome.h"
#include "support/LogFiles.h"
#include "support/PlatformFakes.h"
#include "support/RecordingOpener.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

using namespace orvane;
using namespace orvane::test;
using Kind = LaunchEventKind;
using Answers = FakeProcessInspector::Answers;

namespace {

const QByteArray forgeLine = "[Client thread/INFO] [FML]: Forge Mod Loader has successfully loaded 181 mods\n";

std::vector<Kind> kinds(const std::vector<LaunchEvent>& events)
{
    std::vector<Kind> result;
    for (const auto& event : events)
        result.push_back(event.kind);
    return result;
}

// One launch through the provider, against a fixture home, a scripted process table, a recording
// opener and a clock that never waits; hooks run after the given poll's sleep.
struct Launch {
    explicit Launch(std::vector<Answers> script = {FakeProcessInspector::nothing()},
                    FixtureHome::Options options = FixtureHome::Options())
        : home(std::move(options)),
          processes(std::make_shared<FakeProcessInspector>(std::move(script))),
          clock(std::make_shared<FakeLaunchClock>()),
          opener(std::make_shared<RecordingOpener>()),
          request{QUuid::createUuid(), PackDescriptor::tekkit2, home.launcherPath(), home.dataRoot(),
                  home.instanceRoot()}
    {
        clock->onSleep = [this](int number) {
            processes->nextPoll();
            if (const auto hook = hooks.find(number); hook != hooks.end())
                hook->second();
        };
        // Once opened, the launcher shows up in the next answers.
        opener->onOpen = [this](const std::filesystem::path&) { processes->nextPoll(); };
    }

    LaunchResult launch(double timeout = 180)
    {
        OfficialTechnicLaunchProvider provider(opener, processes, timeout, clock, files);
        return provider.launch(
            request, [this](const LaunchEvent& event) { handled.push_back(event); }, stop.get_token());
    }

    FixtureHome home;
    std::shared_ptr<FakeProcessInspector> processes;
    std::shared_ptr<FakeLaunchClock> clock;
    std::shared_ptr<RecordingOpener> opener;
    PackLaunchRequest request;
    std::shared_ptr<FileOperations> files = FileOperations::system();
    std::stop_source stop;
    std::vector<LaunchEvent> handled;
    std::map<int, std::function<void()>> hooks;
};

bool isContractMessage(const QString& message, qsizetype maxBytes)
{
    if (message.isEmpty() || message.toUtf8().size() > maxBytes)
        return false;
    for (const char32_t scalar : message.toUcs4())
        if (scalar < 0x20 || scalar == 0x7F)
            return false;
    return true;
}

// What the session will demand of the result: identities, live events equal to the result's,
// unique ids, dates in order within the launch, valid messages and a matching terminal event.
void expectContract(const LaunchResult& result, const Launch& launch)
{
    EXPECT_EQ(result.operationID, launch.request.operationID);
    EXPECT_EQ(result.pack, launch.request.pack);
    EXPECT_EQ(result.providerID, LaunchProviderID::officialTechnic);
    EXPECT_EQ(result.mode, LaunchMode::companionHandoff);
    EXPECT_LE(result.startedAt, result.finishedAt);
    EXPECT_TRUE(isContractMessage(result.message, LaunchContractLimits::maximumResultMessageBytes));
    EXPECT_EQ(result.events, launch.handled);
    ASSERT_FALSE(result.events.empty());
    std::set<QUuid> ids;
    QDateTime previous = result.startedAt;
    for (const auto& event : result.events) {
        EXPECT_EQ(event.operationID, launch.request.operationID);
        EXPECT_EQ(event.providerID, LaunchProviderID::officialTechnic);
        EXPECT_EQ(event.packID, launch.request.pack.id);
        EXPECT_TRUE(isContractMessage(event.message, LaunchContractLimits::maximumEventMessageBytes));
        EXPECT_TRUE(ids.insert(event.id).second);
        EXPECT_LE(previous, event.occurredAt);
        EXPECT_LE(event.occurredAt, result.finishedAt);
        previous = event.occurredAt;
    }
    for (std::size_t i = 0; i + 1 < result.events.size(); ++i)
        EXPECT_FALSE(isTerminal(result.events[i].kind));
    EXPECT_TRUE(terminalKindMatches(result.events.back().kind, result.state));
}

} // namespace

TEST(OfficialTechnicLaunchProvider, WithoutTheTechnicAppReportsAFailedResult)
{
    Launch launch;
    launch.request.providerApplication.reset();
    const LaunchResult result = launch.launch();
    const QString missing = OrvaneError::technicAppMissing().description();

    EXPECT_EQ(kinds(result.events), (std::vector{Kind::preparing, Kind::failed}));
    EXPECT_EQ(result.events[0].message, OfficialTechnicLaunchProvider::preparingMessage);
    EXPECT_EQ(result.events[1].message, missing);
    EXPECT_EQ(result.state, LaunchResultState::failed);
    EXPECT_EQ(result.message, missing);
    EXPECT_EQ(result.legacyObservation, (LaunchObservation{false, false, false, std::nullopt, std::nullopt, QString(),
                                                           LaunchOutcome::technicMissing, missing}));
    EXPECT_TRUE(launch.opener->opened().empty());
    EXPECT_TRUE(launch.processes->questions().empty());
    expectContract(result, launch);
}

TEST(OfficialTechnicLaunchProvider, TechnicAlreadyRunningIsNotOpenedAgain)
{
    Launch launch({FakeProcessInspector::technicApp(), FakeProcessInspector::technicAndGame("x86_64", true)});
    launch.hooks[2] = [&] { appendFile(launch.home.instanceRoot() / "logs" / "latest.log", forgeLine); };
    const LaunchResult result = launch.launch();

    EXPECT_TRUE(launch.opener->opened().empty());
    EXPECT_EQ(kinds(result.events),
              (std::vector{Kind::preparing, Kind::waitingForPlayer, Kind::gameLoaded, Kind::completed}));
    EXPECT_EQ(result.events[1].message, OfficialTechnicLaunchProvider::readyMessage);
    EXPECT_EQ(result.events[2].message, LaunchMessages::forgeLoadedTranslated);
    EXPECT_EQ(result.events[3].message, OfficialTechnicLaunchProvider::completedMessage);
    EXPECT_EQ(result.state, LaunchResultState::gameLoaded);
    EXPECT_EQ(result.message, LaunchMessages::forgeLoadedTranslated);
    ASSERT_TRUE(result.legacyObservation);
    EXPECT_EQ(result.legacyObservation->javaArchitecture, QStringLiteral("x86_64"));
    // The provider asks in the launcher adapter's order: the bundle first.
    EXPECT_EQ(launch.processes->questions().front(), QStringLiteral("bundle:net.technicpack"));
    expectContract(result, launch);
}

TEST(OfficialTechnicLaunchProvider, OpensTechnicAndHandsOver)
{
    Launch launch({FakeProcessInspector::nothing(), FakeProcessInspector::technicApp()});
    const LaunchResult result = launch.launch(2);

    EXPECT_EQ(launch.opener->opened(), std::vector{launch.home.launcherPath()});
    EXPECT_EQ(kinds(result.events), (std::vector{Kind::preparing, Kind::openingProvider, Kind::waitingForPlayer,
                                                 Kind::waitingForPlayer, Kind::completed}));
    EXPECT_EQ(result.events[1].message, OfficialTechnicLaunchProvider::openingMessage);
    EXPECT_EQ(result.events[3].message, LaunchMessages::technicOpen);
    EXPECT_EQ(result.state, LaunchResultState::handoffReady);
    EXPECT_EQ(result.message, LaunchMessages::technicOpen);
    expectContract(result, launch);
}

TEST(OfficialTechnicLaunchProvider, OutcomesMapToEventsAndStates)
{
    {
        Launch timedOut({FakeProcessInspector::nothing()});
        timedOut.opener->onOpen = nullptr;
        const LaunchResult result = timedOut.launch(1);
        EXPECT_EQ(kinds(result.events),
                  (std::vector{Kind::preparing, Kind::openingProvider, Kind::waitingForPlayer, Kind::timedOut}));
        EXPECT_EQ(result.state, LaunchResultState::timedOut);
        expectContract(result, timedOut);
    }
    {
        Launch crashed({FakeProcessInspector::technicApp()});
        crashed.hooks[1] = [&] {
            writeFile(crashed.home.instanceRoot() / "crash-reports" / "crash-new.txt",
                      "---- Minecraft Crash Report ----\n");
        };
        const LaunchResult result = crashed.launch();
        EXPECT_EQ(kinds(result.events), (std::vector{Kind::preparing, Kind::waitingForPlayer, Kind::failed}));
        EXPECT_EQ(result.events.back().message, LaunchMessages::crashReport);
        EXPECT_EQ(result.state, LaunchResultState::failed);
        expectContract(result, crashed);
    }
    {
        Launch started({FakeProcessInspector::technicAndGame("arm64", false)});
        const LaunchResult result = started.launch(1);
        EXPECT_EQ(kinds(result.events),
                  (std::vector{Kind::preparing, Kind::waitingForPlayer, Kind::gameDetected, Kind::completed}));
        EXPECT_EQ(result.events[2].message, LaunchMessages::javaStarted);
        EXPECT_EQ(result.state, LaunchResultState::gameStarted);
        expectContract(result, started);
    }
}

TEST(OfficialTechnicLaunchProvider, AnOpenerThatThrowsEndsTheLaunchWithItsError)
{
    Launch launch;
    const OrvaneError failure = OrvaneError::launchObservationFailed(QStringLiteral("open exited 1 for /x.app"));
    launch.opener->onOpen = [&](const std::filesystem::path&) { throw failure; };
    try {
        launch.launch();
        FAIL() << "the launch should have failed";
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, failure);
    }
    EXPECT_EQ(kinds(launch.handled), (std::vector{Kind::preparing, Kind::openingProvider}));
}

TEST(OfficialTechnicLaunchProvider, CancelDuringTheSleepReportsCancelledAndThrows)
{
    Launch launch({FakeProcessInspector::technicApp()});
    launch.hooks[2] = [&] { launch.stop.request_stop(); };
    EXPECT_THROW(launch.launch(), CancellationError);
    EXPECT_EQ(kinds(launch.handled),
              (std::vector{Kind::preparing, Kind::waitingForPlayer, Kind::cancelled}));
    EXPECT_EQ(launch.handled.back().message, OfficialTechnicLaunchProvider::cancelledMessage);
}

TEST(OfficialTechnicLaunchProvider, RefusesAnotherProviderOrModeBeforeAnyEvent)
{
    Launch otherProvider;
    otherProvider.request.pack.providerID = LaunchProviderID::orvaneDirect;
    try {
        otherProvider.launch();
        FAIL() << "a pack of another provider must be refused";
    } catch (const LaunchProviderError& error) {
        EXPECT_EQ(error, LaunchProviderError::providerMismatch(LaunchProviderID::orvaneDirect,
                                                               LaunchProviderID::officialTechnic,
                                                               LaunchMode::companionHandoff,
                                                               LaunchMode::companionHandoff));
    }
    EXPECT_TRUE(otherProvider.handled.empty());

    Launch direct;
    direct.request.pack.launchMode = LaunchMode::direct;
    try {
        direct.launch();
        FAIL() << "a direct pack must be refused";
    } catch (const LaunchProviderError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("Launch provider mismatch: expected "
                                                      "official-technic/direct, received "
                                                      "official-technic/companionHandoff."));
    }
    EXPECT_TRUE(direct.handled.empty());
    EXPECT_TRUE(direct.opener->opened().empty());
    EXPECT_TRUE(direct.processes->questions().empty());
}

TEST(OfficialTechnicLaunchProvider, CancelledBeforeTheStartEmitsNothing)
{
    Launch launch;
    launch.stop.request_stop();
    EXPECT_THROW(launch.launch(), CancellationError);
    EXPECT_TRUE(launch.handled.empty());
}

TEST(OfficialTechnicLaunchProvider, RemovesALauncherJavaLinkIntoAUserJdkOnlyWithADataRoot)
{
    FixtureHome::Options linked;
    linked.jreLegacyLinkIntoUserJDK = true;
    const auto isLink = [](const std::filesystem::path& path) {
        return std::filesystem::is_symlink(std::filesystem::symlink_status(path));
    };

    Launch withData({FakeProcessInspector::technicApp()}, linked);
    withData.launch(0);
    EXPECT_FALSE(isLink(TechnicJavaSafety::jreBundlePath(withData.home.dataRoot())));

    // Without a data root the link stays and the launcher log is not read either.
    Launch withoutData({FakeProcessInspector::technicApp()}, linked);
    withoutData.request.providerDataRoot.reset();
    withoutData.home.copySampleLauncherLog();
    withoutData.hooks[1] = [&] {
        appendFile(withoutData.home.dataRoot() / "logs" / "techniclauncher_2026-12-09.log", "error=86\n");
    };
    const LaunchResult result = withoutData.launch(2);
    EXPECT_TRUE(isLink(TechnicJavaSafety::jreBundlePath(withoutData.home.dataRoot())));
    EXPECT_EQ(result.state, LaunchResultState::handoffReady);
}

TEST(OfficialTechnicLaunchProvider, AFailedLinkRemovalEndsTheLaunchAfterPreparing)
{
    FixtureHome::Options linked;
    linked.jreLegacyLinkIntoUserJDK = true;
    Launch launch({FakeProcessInspector::nothing()}, linked);
    auto faulty = std::make_shared<FaultyFileOperations>();
    faulty->failOn(FaultyFileOperations::Op::removeFile, 1);
    launch.files = faulty;
    EXPECT_THROW(launch.launch(), std::system_error);
    EXPECT_EQ(kinds(launch.handled), std::vector{Kind::preparing});
    EXPECT_TRUE(launch.opener->opened().empty());
}

TEST(OfficialTechnicLaunchProvider, EventDatesStayInOrderWhenTheWallClockIsSetBack)
{
    Launch launch({FakeProcessInspector::technicApp()});
    launch.hooks[1] = [&] { launch.clock->setDate(launch.clock->currentDate().addSecs(-3600)); };
    launch.hooks[2] = [&] { appendFile(launch.home.instanceRoot() / "logs" / "latest.log", forgeLine); };
    const LaunchResult result = launch.launch();
    EXPECT_EQ(result.state, LaunchResultState::gameLoaded);
    expectContract(result, launch);
}

TEST(OfficialTechnicLaunchProvider, ALauncherJarThatFailsToStartEndsTheLaunchAsFailedWithItsLastErrorLine)
{
    const QString lead = QStringLiteral("Technic did not start: Java exited 1. ");
    struct Case {
        const char* name;
        ProcessEnvironment environment; // for the fake Java
        bool corruptJar;
        std::optional<QString> message; // absent: the watch goes on
    } cases[] = {
        {"a JAR that is no zip", {{"FAKE_JAVA_CHECK_JAR", "1"}}, true,
         lead + "Error: Invalid or corrupt jarfile "},
        {"a Java that exits 1 at once",
         {{"FAKE_JAVA_STDERR", "Error occurred during initialization of VM\nToo small initial heap\n"},
          {"FAKE_JAVA_EXIT", "1"}},
         false, lead + QStringLiteral("Error occurred during initialization of VM \u00B7 Too small initial heap")},
        // The launcher may hand over to a process of its own: Technic shows up and the watch goes on.
        {"a Java that exits 0 at once", {{"FAKE_JAVA_CHECK_JAR", "1"}}, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome::Options options;
        options.launcher = FixtureHome::Launcher::jar;
        Launch launch({FakeProcessInspector::nothing(), FakeProcessInspector::nothing(),
                       FakeProcessInspector::technicApp()},
                      options);
        if (c.corruptJar)
            writeFile(launch.home.launcherPath(), "this is not a zip");
        // The fake Java stands in as the JDK's own bin/java: it is of this host's architecture.
        const auto jdk = launch.home.root() / "jdk8";
        FixtureHome::writeJdk(jdk, FixtureHome::JavaBinary::elfX86_64, QByteArray("JAVA_VERSION=\"1.8.0_402\""));
        std::filesystem::copy_file(fakeJavaPath(), jdk / "bin" / "java",
                                   std::filesystem::copy_options::overwrite_existing);
        ProcessEnvironment environment = c.environment;
        environment[QStringLiteral("JAVA_HOME")] = pathText(jdk);
        const auto opener = std::make_shared<OpenCommandOpener>(environment, launch.home.home(),
                                                                std::make_shared<RecordingOpenTool>());
        // The first sleep lasts until the real launcher has ended, so the next poll sees it.
        launch.hooks[1] = [&] {
            ASSERT_TRUE(waitUntil(std::chrono::seconds(10), [&] {
                const auto started = opener->startedProcess();
                return started && started->exitStatus().has_value();
            }));
        };

        OfficialTechnicLaunchProvider provider(opener, launch.processes, 2, launch.clock, launch.files);
        const LaunchResult result = provider.launch(
            launch.request, [&](const LaunchEvent& event) { launch.handled.push_back(event); },
            launch.stop.get_token());

        expectContract(result, launch);
        if (c.message) {
            EXPECT_EQ(kinds(result.events),
                      (std::vector{Kind::preparing, Kind::openingProvider, Kind::waitingForPlayer, Kind::failed}));
            // Seen at the first poll after the end, or at once when Java ended before the watch first looked.
            EXPECT_LE(launch.clock->sleeps(), 1);
            EXPECT_EQ(result.state, LaunchResultState::failed);
            EXPECT_TRUE(result.message.startsWith(*c.message)) << result.message.toStdString();
            EXPECT_EQ(result.events.back().message, result.message);
            ASSERT_TRUE(result.legacyObservation);
            EXPECT_EQ(result.legacyObservation->outcome, LaunchOutcome::crashDetected);
            EXPECT_FALSE(result.legacyObservation->logExcerpt.isEmpty());
        } else {
            EXPECT_EQ(launch.clock->sleeps(), 5);
            EXPECT_EQ(result.state, LaunchResultState::handoffReady);
            EXPECT_EQ(result.events.back().kind, Kind::completed);
        }
        EXPECT_TRUE(processGone(opener->startedProcess()->pid()));
    }
}
