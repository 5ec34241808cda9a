#include "session/CompanionSession.h"

#include "model/LaunchProviderError.h"
#include "model/OrvaneError.h"
#include "model/UnavailableDirectLaunchProvider.h"

#include "session/LaunchChecks.h"
#include "session/LaunchRig.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;
using Kind = LaunchEventKind;
using State = LaunchResultState;

TEST(CompanionSessionLaunch, AProviderOfAnotherIdOrModeIsRefusedBeforeItIsCalled)
{
    struct Case {
        const char* name;
        LaunchProviderID id;
        LaunchMode mode;
        QString text;
    };
    for (const auto& c : {
             Case{"id", LaunchProviderID(QStringLiteral("someone-else")), LaunchMode::companionHandoff,
                  QStringLiteral("Launch provider mismatch: expected official-technic/companionHandoff, received "
                                 "someone-else/companionHandoff.")},
             Case{"mode", LaunchProviderID::officialTechnic, LaunchMode::direct,
                  QStringLiteral("Launch provider mismatch: expected official-technic/companionHandoff, received "
                                 "official-technic/direct.")},
         }) {
        SCOPED_TRACE(c.name);
        const auto provider = std::make_shared<ScriptedProvider>(c.id, c.mode);
        LaunchRig rig(provider);
        EXPECT_EQ(errorText([&] { rig.session->launchSelectedPack({}); }), c.text);
        EXPECT_EQ(provider->calls, 0);
        expectIdle(*rig.session);
    }
}

TEST(CompanionSessionLaunch, DirectPacksAreHeldByTheGateAndTheDirectProviderRefusesInItsOwnWords)
{
    const PackDescriptor direct{*PackID::fromRawValue(QStringLiteral("tekkit-2-direct")),
                                QStringLiteral("Tekkit 2 Direct"),
                                QStringLiteral("1.2.6"),
                                LaunchProviderID::orvaneDirect,
                                LaunchMode::direct,
                                PackAvailability::available,
                                QStringLiteral("Starts the game without Technic.")};
    const QString reason = QStringLiteral("Direct launch is not available in this build.");
    const Stage2GateEvidence open{true, true, true, true, QStringLiteral("Security Team"),
                                  ScriptedPlay::start.addDays(-1)};

    {
        SCOPED_TRACE("gate closed");
        const auto provider = std::make_shared<UnavailableDirectLaunchProvider>(reason);
        LaunchRig::Options options;
        options.packs = {direct};
        LaunchRig rig(provider, options);
        EXPECT_EQ(errorText([&] { rig.session->launchSelectedPack({}); }),
                  QStringLiteral("Direct launch is blocked: minecraftServicesApproval, technicWrittenAuthorization, "
                                 "completeContentRightsRegistry, namedSecurityReview."));
        expectIdle(*rig.session);
    }
    {
        SCOPED_TRACE("gate open: the provider itself refuses");
        const auto provider = std::make_shared<UnavailableDirectLaunchProvider>(reason);
        LaunchRig::Options options;
        options.packs = {direct};
        options.evidence = open;
        options.chooseInstance = false;
        LaunchRig rig(provider, options);
        EventSink sink;
        try {
            rig.session->launchSelectedPack(sink.handler());
            ADD_FAILURE() << "the direct provider launched";
        } catch (const LaunchProviderError& error) {
            EXPECT_EQ(error, LaunchProviderError::unavailable(reason));
            EXPECT_EQ(error.description(), reason);
        }
        ASSERT_EQ(sink.events().size(), 1u);
        EXPECT_EQ(sink.events()[0].kind, Kind::failed);
        EXPECT_EQ(sink.events()[0].message, reason);
        // A direct launch needs no inspection.
        EXPECT_EQ(rig.session->lastInspection(), std::nullopt);
        expectNothingStored(*rig.session);
        expectIdle(*rig.session);
    }
    {
        SCOPED_TRACE("no provider for the pack");
        LaunchRig::Options options;
        options.packs = {direct};
        options.evidence = open;
        LaunchRig rig(nullptr, options);
        EXPECT_EQ(errorText([&] { rig.session->launchSelectedPack({}); }),
                  QStringLiteral("No approved launch provider is available for Tekkit 2 Direct."));
    }
    {
        SCOPED_TRACE("a blocked catalog entry");
        PackDescriptor blocked = PackDescriptor::tekkit2;
        blocked.availability = PackAvailability::blocked;
        blocked.supportReason = QStringLiteral("Not in this build.");
        LaunchRig::Options options;
        options.packs = {blocked};
        const auto provider = std::make_shared<ScriptedProvider>();
        LaunchRig rig(provider, options);
        EXPECT_EQ(errorText([&] { rig.session->launchSelectedPack({}); }), QStringLiteral("Not in this build."));
        EXPECT_EQ(provider->calls, 0);
    }
}

TEST(CompanionSessionLaunch, AHandlerThatThrowsNeitherStopsTheProviderNorLosesEvents)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    provider->release.set();
    LaunchRig rig(provider);
    int calls = 0;
    const LaunchResult result = rig.session->launchSelectedPack([&calls](const LaunchEvent&) {
        ++calls;
        throw std::runtime_error("the handler failed");
    });
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(result.events.size(), 3u);
    EXPECT_EQ(rig.session->lastLaunchResult(), result);
}

TEST(CompanionSessionLaunch, LiveEventsAndResultsThatBreakTheContractAreRefused)
{
    using Script = ScriptedProvider::Script;
    struct Case {
        const char* name;
        Script script;
        QString detail;
        std::vector<Kind> delivered;
    };
    const std::vector<Case> cases{
        {"cross-pack live event",
         [](ScriptedPlay& play, std::stop_token) {
             play.report(Kind::preparing);
             LaunchEvent other = play.make(Kind::waitingForPlayer);
             other.packID = *PackID::fromRawValue(QStringLiteral("another-pack"));
             play.report(other);
             // Valid events after the violation are dropped unexamined.
             play.report(Kind::gameLoaded);
             play.report(Kind::completed);
             return play.result(State::gameLoaded);
         },
         QStringLiteral("cross-pack event"), {Kind::preparing}},
        {"live event after the terminal one",
         [](ScriptedPlay& play, std::stop_token) {
             play.report(Kind::completed);
             play.report(Kind::waitingForPlayer);
             return play.result(State::handoffReady);
         },
         QStringLiteral("event follows terminal event"), {Kind::completed}},
        {"live stream not a prefix of the result",
         [](ScriptedPlay& play, std::stop_token) {
             play.report(Kind::preparing);
             play.report(Kind::waitingForPlayer);
             LaunchResult result = play.result(State::handoffReady);
             result.events = {result.events[1], play.make(Kind::completed)};
             return result;
         },
         QStringLiteral("live event stream does not match result"), {Kind::preparing, Kind::waitingForPlayer}},
        {"live terminal event against the result state",
         [](ScriptedPlay& play, std::stop_token) {
             play.report(Kind::failed);
             LaunchResult result = play.result(State::failed);
             result.events = {play.make(Kind::completed)};
             result.state = State::handoffReady;
             return result;
         },
         QStringLiteral("live terminal event does not match result state"), {Kind::failed}},
        {"result of another operation",
         [](ScriptedPlay& play, std::stop_token) {
             play.report(Kind::completed);
             LaunchResult result = play.result(State::handoffReady);
             result.operationID = QUuid::createUuid();
             return result;
         },
         QStringLiteral("operation identity mismatch"), {Kind::completed}},
        {"result without events",
         [](ScriptedPlay& play, std::stop_token) { return play.result(State::handoffReady); },
         QStringLiteral("missing terminal event"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto provider = std::make_shared<ScriptedProvider>();
        provider->script = c.script;
        LaunchRig rig(provider);
        EventSink sink;
        try {
            rig.session->launchSelectedPack(sink.handler());
            ADD_FAILURE() << "accepted";
        } catch (const LaunchProviderError& error) {
            EXPECT_EQ(error, LaunchProviderError::invalidResult(c.detail));
        }
        EXPECT_EQ(kinds(sink.events()), c.delivered);
        expectNothingStored(*rig.session);
        expectIdle(*rig.session);
    }
}

TEST(CompanionSessionLaunch, ProviderErrorsPassThroughUnchangedAndLeaveTheSessionIdle)
{
    const auto provider = std::make_shared<ScriptedProvider>();
    provider->script = [](ScriptedPlay& play, std::stop_token) -> LaunchResult {
        play.report(Kind::preparing);
        throw OrvaneError::launchObservationFailed(QStringLiteral("The opener failed."));
    };
    LaunchRig rig(provider);
    EXPECT_THROW(
        {
            try {
                rig.session->launchSelectedPack({});
            } catch (const OrvaneError& error) {
                EXPECT_EQ(error, OrvaneError::launchObservationFailed(QStringLiteral("The opener failed.")));
                throw;
            }
        },
        OrvaneError);
    expectNothingStored(*rig.session);
    expectIdle(*rig.session);
}
