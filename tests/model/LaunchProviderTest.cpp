#include "model/LaunchProviderError.h"
#include "model/UnavailableDirectLaunchProvider.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>

using namespace orvane;

namespace {

using R = DirectLaunchGateRequirement;

} // namespace

TEST(LaunchProviderError, DescriptionsAreTheExactSentences)
{
    EXPECT_EQ(LaunchProviderError::unavailable("Direct launch is not available.").description(),
              QStringLiteral("Direct launch is not available."));
    EXPECT_EQ(LaunchProviderError::directLaunchBlocked({R::minecraftServicesApproval, R::technicWrittenAuthorization,
                                                        R::completeContentRightsRegistry, R::namedSecurityReview})
                  .description(),
              QStringLiteral("Direct launch is blocked: minecraftServicesApproval, technicWrittenAuthorization, "
                             "completeContentRightsRegistry, namedSecurityReview."));
    EXPECT_EQ(LaunchProviderError::directLaunchBlocked({R::namedSecurityReview}).description(),
              QStringLiteral("Direct launch is blocked: namedSecurityReview."));
    EXPECT_EQ(LaunchProviderError::directLaunchBlocked({}).description(), QStringLiteral("Direct launch is blocked: ."));
    EXPECT_EQ(LaunchProviderError::invalidResult("event chronology mismatch").description(),
              QStringLiteral("Launch provider returned an invalid result: event chronology mismatch."));
    EXPECT_EQ(LaunchProviderError::invalidResult("ends.").description(),
              QStringLiteral("Launch provider returned an invalid result: ends.."));
    EXPECT_EQ(LaunchProviderError::providerMismatch(LaunchProviderID::officialTechnic, LaunchProviderID::orvaneDirect,
                                                    LaunchMode::companionHandoff, LaunchMode::direct)
                  .description(),
              QStringLiteral("Launch provider mismatch: expected official-technic/companionHandoff, received "
                             "orvane-direct/direct."));
    // Provider ids are free text: a placeholder in one is not expanded.
    EXPECT_EQ(LaunchProviderError::providerMismatch(LaunchProviderID("%2"), LaunchProviderID("%1"), LaunchMode::direct,
                                                    LaunchMode::direct)
                  .description(),
              QStringLiteral("Launch provider mismatch: expected %2/direct, received %1/direct."));
    EXPECT_EQ(LaunchProviderError::launchInProgress().description(),
              QStringLiteral("A pack launch is already in progress."));
    EXPECT_EQ(LaunchProviderError::staleCompletion().description(),
              QStringLiteral("Launch finished after the selected pack or instance changed; its result was discarded."));
    EXPECT_STREQ(LaunchProviderError::launchInProgress().what(), "A pack launch is already in progress.");
}

TEST(LaunchProviderError, EqualityIsKindThenPayloadInOrder)
{
    EXPECT_NE(LaunchProviderError::unavailable("a"), LaunchProviderError::invalidResult("a"));
    EXPECT_NE(LaunchProviderError::directLaunchBlocked({R::namedSecurityReview, R::minecraftServicesApproval}),
              LaunchProviderError::directLaunchBlocked({R::minecraftServicesApproval, R::namedSecurityReview}));
    EXPECT_NE(LaunchProviderError::providerMismatch(LaunchProviderID::officialTechnic, LaunchProviderID::officialTechnic,
                                                    LaunchMode::companionHandoff, LaunchMode::direct),
              LaunchProviderError::providerMismatch(LaunchProviderID::officialTechnic, LaunchProviderID::officialTechnic,
                                                    LaunchMode::direct, LaunchMode::companionHandoff));
}

TEST(UnavailableDirectLaunchProvider, ReportsOneFailedEventThenRefuses)
{
    auto direct = std::make_shared<UnavailableDirectLaunchProvider>(QStringLiteral("First."));
    direct->setReason(QStringLiteral("Direct launch is unavailable in this build."));
    const QString reason = direct->reason();
    const std::shared_ptr<LaunchProvider> provider = direct;
    EXPECT_EQ(provider->id(), LaunchProviderID::orvaneDirect);
    EXPECT_EQ(provider->mode(), LaunchMode::direct);

    // The request's own mode and provider are not looked at, nor is cancellation.
    const PackLaunchRequest request{QUuid::createUuid(), PackDescriptor::tekkit2, std::nullopt, std::nullopt,
                                    std::nullopt};
    std::stop_source stop;
    stop.request_stop();
    std::vector<LaunchEvent> seen;
    bool handlerReturned = false;
    const QDateTime before = QDateTime::currentDateTimeUtc();
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            provider->launch(
                request,
                [&](const LaunchEvent& e) {
                    seen.push_back(e);
                    handlerReturned = true;
                },
                stop.get_token());
            ADD_FAILURE() << "launch returned";
        } catch (const LaunchProviderError& e) {
            EXPECT_TRUE(handlerReturned) << "the error comes only after the handler returned";
            EXPECT_EQ(e, LaunchProviderError::unavailable(reason));
        }
        handlerReturned = false;
    }
    ASSERT_EQ(seen.size(), 2u) << "one event per launch";
    const LaunchEvent& event = seen.front();
    EXPECT_EQ(event.operationID, request.operationID);
    EXPECT_EQ(event.providerID, LaunchProviderID::orvaneDirect);
    EXPECT_EQ(event.packID, PackID::tekkit2);
    EXPECT_EQ(event.kind, LaunchEventKind::failed);
    EXPECT_EQ(event.message, reason);
    EXPECT_GE(event.occurredAt, before);
    EXPECT_LE(event.occurredAt, QDateTime::currentDateTimeUtc());
    EXPECT_FALSE(event.id.isNull());
    EXPECT_NE(seen[0].id, seen[1].id);
}
