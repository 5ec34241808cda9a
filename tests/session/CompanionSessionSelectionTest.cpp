#include "session/CompanionSession.h"

#include "model/CertifiedPack.h"
#include "model/LaunchProviderError.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "session/SessionHarness.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <latch>
#include <thread>

using namespace orvane;
using namespace orvane::test;

namespace {

template <class Error, class F>
Error thrownBy(F&& f)
{
    try {
        f();
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << "expected an error";
    throw std::logic_error("no error");
}

PackDescriptor directPack()
{
    return PackDescriptor {*PackID::fromRawValue(QStringLiteral("tekkit-direct")), QStringLiteral("Tekkit Direct"),
                           QStringLiteral("1.2.6"), LaunchProviderID::orvaneDirect, LaunchMode::direct,
                           PackAvailability::available, QStringLiteral("Launches the pack directly.")};
}

PackDescriptor otherPack()
{
    PackDescriptor pack = PackDescriptor::tekkit2;
    pack.id = *PackID::fromRawValue(QStringLiteral("tekkit-classic"));
    pack.name = QStringLiteral("Tekkit Classic");
    return pack;
}

// Every path below `root`, so a test can see that nothing was created.
std::vector<std::filesystem::path> treeOf(const std::filesystem::path& root)
{
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

TEST(CompanionSession, ConstructionTakesTheFirstPackAndAnAbsoluteInstanceAsChosen)
{
    FixtureHome home;
    struct Case {
        const char* name;
        std::vector<PackDescriptor> packs;
        std::optional<std::filesystem::path> instance;
        PackID selected;
        std::optional<std::filesystem::path> expectedInstance;
        bool explicitly;
    };
    const std::filesystem::path absolute = home.instanceRoot();
    const Case cases[] = {
        {"no packs", {}, std::nullopt, PackID::tekkit2, std::nullopt, false},
        {"first pack", {otherPack(), PackDescriptor::tekkit2}, std::nullopt, otherPack().id, std::nullopt, false},
        {"absolute instance", {}, absolute / "mods" / ".." / "", PackID::tekkit2, absolute, true},
        // A relative folder would be backed up under paths no restore can match.
        {"relative instance", {}, std::filesystem::path("modpacks/tekkit-2"), PackID::tekkit2, std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SessionHarness harness;
        harness.packs = c.packs;
        harness.labInstance = c.instance;
        const auto session = harness.build(home);
        EXPECT_EQ(session->selectedPackID(), c.selected);
        EXPECT_EQ(session->labInstance(), c.expectedInstance);
        EXPECT_EQ(session->instanceChosenExplicitly(), c.explicitly);
        EXPECT_EQ(session->stateGeneration(), 0u);
        EXPECT_FALSE(session->lastInspection() || session->lastBackup() || session->lastLaunch()
                     || session->lastLaunchReceipt() || session->lastPlan() || session->lastLaunchResult());
    }
}

TEST(CompanionSession, ConstructingOverAnEmptyHomeWritesNothing)
{
    TempDir root;
    std::filesystem::create_directories(root / "home");
    std::filesystem::create_directories(root / "Applications");
    const auto before = treeOf(root.path());

    // The real seams: the real file operations, clock, Rosetta probe and system facts.
    CompanionSession session(OrvanePaths(root / "home", {}), TechnicLocator(root / "home", {{root / "Applications"}}),
                             std::make_shared<RecordingOpener>(), std::make_shared<FakeProcessInspector>(),
                             std::nullopt, std::nullopt, nullptr, CompanionSession::supportedPacks(), {},
                             DirectLaunchGateEvaluator {QDateTime::currentDateTimeUtc()}, 180);
    EXPECT_EQ(session.availablePacks(), CompanionSession::supportedPacks());
    session.refreshCapability();
    const InstallInspection inspection = session.discoverAndInspect();
    EXPECT_FALSE(inspection.instanceRoot);
    EXPECT_FALSE(session.labInstance());

    EXPECT_EQ(treeOf(root.path()), before);
}

TEST(CompanionSession, SetLabInstanceCountsEveryCallStandardisesAndForgetsResults)
{
    FixtureHome home;
    SessionHarness harness;
    const auto session = harness.build(home);
    session->inspect();
    const CapabilityReport capability = session->refreshCapability();
    ASSERT_TRUE(session->lastInspection());

    const std::filesystem::path chosen = home.instanceRoot();
    struct Step {
        std::optional<std::filesystem::path> argument;
        std::optional<std::filesystem::path> stored;
        bool explicitly;
    };
    const Step steps[] = {
        {pathFromText(pathText(chosen) + QStringLiteral("/./bin/../")), chosen, true},
        {chosen, chosen, true}, // the same folder again still counts
        {std::filesystem::path("relative/tekkit-2"), std::nullopt, false},
        {std::nullopt, std::nullopt, false},
    };
    std::uint64_t generation = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.argument ? pathText(*step.argument).toStdString() : "none");
        session->setLabInstance(step.argument);
        EXPECT_EQ(session->stateGeneration(), ++generation);
        EXPECT_EQ(session->labInstance(), step.stored);
        EXPECT_EQ(session->instanceChosenExplicitly(), step.explicitly);
        EXPECT_FALSE(session->lastInspection());
        EXPECT_EQ(session->lastCapability(), capability);
    }
}

TEST(CompanionSession, ConcurrentSetLabInstanceCallsAreEachCounted)
{
    FixtureHome home;
    SessionHarness harness;
    const auto session = harness.build(home);
    constexpr int writers = 8;
    constexpr int callsEach = 250;
    std::latch start(writers + 2);
    std::vector<std::jthread> threads;
    for (int t = 0; t < writers; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int i = 0; i < callsEach; ++i) {
                if ((i + t) % 3 == 0)
                    session->setLabInstance(std::nullopt);
                else
                    session->setLabInstance(home.root() / ("instance-" + std::to_string(t)));
            }
        });
    }
    // Readers see a consistent pair: a folder exactly when it was chosen.
    std::atomic<int> inconsistent {0};
    for (int r = 0; r < 2; ++r) {
        threads.emplace_back([&] {
            start.arrive_and_wait();
            for (int i = 0; i < callsEach; ++i) {
                session->stateGeneration();
                session->availablePacks();
                session->lastInspection();
                const bool chosen = session->instanceChosenExplicitly();
                (void)chosen;
                const auto folder = session->labInstance();
                if (folder && folder->parent_path() != home.root())
                    ++inconsistent;
            }
        });
    }
    threads.clear();
    EXPECT_EQ(session->stateGeneration(), std::uint64_t(writers) * callsEach);
    EXPECT_EQ(inconsistent.load(), 0);
}

TEST(CompanionSession, SelectingAPackGatesItAndForgetsTheInstanceOnlyOnAChange)
{
    FixtureHome home;
    SessionHarness harness;
    harness.packs = {PackDescriptor::tekkit2, otherPack(), directPack()};
    harness.labInstance = home.instanceRoot();
    const auto session = harness.build(home);
    session->inspect();
    const CapabilityReport capability = session->refreshCapability();

    // The selected pack again: nothing changes.
    EXPECT_EQ(session->selectPack(PackID::tekkit2), PackDescriptor::tekkit2);
    EXPECT_EQ(session->stateGeneration(), 0u);
    EXPECT_EQ(session->labInstance(), home.instanceRoot());
    EXPECT_TRUE(session->instanceChosenExplicitly());
    EXPECT_TRUE(session->lastInspection());

    // Outside the catalog, and blocked: refused, nothing changes.
    const auto unknown = *PackID::fromRawValue(QStringLiteral("voltz"));
    EXPECT_EQ(thrownBy<OrvaneError>([&] { session->selectPack(unknown); }).description(),
              QStringLiteral("Pack voltz is not available in this build."));
    const QString reason = QStringLiteral("Direct launch needs: minecraftServicesApproval, technicWrittenAuthorization, "
                                          "completeContentRightsRegistry, namedSecurityReview.");
    EXPECT_EQ(thrownBy<LaunchProviderError>([&] { session->selectPack(directPack().id); }),
              LaunchProviderError::unavailable(reason));
    EXPECT_EQ(session->selectedPackID(), PackID::tekkit2);
    EXPECT_EQ(session->stateGeneration(), 0u);
    EXPECT_TRUE(session->lastInspection());

    // Another pack: one generation, the instance and every result but the capability forgotten.
    EXPECT_EQ(session->selectPack(otherPack().id), otherPack());
    EXPECT_EQ(session->selectedPackID(), otherPack().id);
    EXPECT_EQ(session->stateGeneration(), 1u);
    EXPECT_FALSE(session->labInstance());
    EXPECT_FALSE(session->instanceChosenExplicitly());
    EXPECT_FALSE(session->lastInspection());
    EXPECT_EQ(session->lastCapability(), capability);
}

TEST(CompanionSession, AvailablePacksBlockDirectPacksUntilTheGateOpens)
{
    FixtureHome home;
    struct Case {
        const char* name;
        Stage2GateEvidence evidence;
        PackAvailability availability;
        QString reason;
    };
    Stage2GateEvidence partial;
    partial.technicWrittenAuthorization = true;
    partial.securityReviewApproved = true; // without a reviewer the review does not count
    Stage2GateEvidence complete {true, true, true, true, QStringLiteral("A. Reviewer"),
                                 QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC)};
    const Case cases[] = {
        {"nothing", {}, PackAvailability::blocked,
         QStringLiteral("Direct launch needs: minecraftServicesApproval, technicWrittenAuthorization, "
                        "completeContentRightsRegistry, namedSecurityReview.")},
        {"partial", partial, PackAvailability::blocked,
         QStringLiteral("Direct launch needs: minecraftServicesApproval, completeContentRightsRegistry, "
                        "namedSecurityReview.")},
        {"complete", complete, PackAvailability::available, directPack().supportReason},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SessionHarness harness;
        harness.packs = {PackDescriptor::tekkit2, directPack()};
        harness.evidence = c.evidence;
        const auto session = harness.build(home);
        const auto packs = session->availablePacks();
        ASSERT_EQ(packs.size(), 2u);
        EXPECT_EQ(packs[0], PackDescriptor::tekkit2); // a handoff pack is never gated
        EXPECT_EQ(packs[1].availability, c.availability);
        EXPECT_EQ(packs[1].supportReason, c.reason);
        if (c.availability == PackAvailability::available) {
            EXPECT_EQ(session->selectPack(directPack().id), directPack());
            EXPECT_EQ(session->stateGeneration(), 1u);
        }
    }
}

TEST(CompanionSession, DiscoveryFindsAnInstanceOnlyWhenNoneIsSet)
{
    struct Case {
        const char* name;
        FixtureHome::Options options;
        bool archiveCopy;  // add a certified archive copy
        bool chooseCopy;   // choose that copy before discovering
        bool expectLive;   // discovered the live instance
    };
    FixtureHome::Options noInstance;
    noInstance.instance = false;
    FixtureHome::Options noData;
    noData.dataFolder = FixtureHome::DataFolder::none;
    noData.instance = false;
    const Case cases[] = {
        {"live instance", {}, true, false, true},
        {"archive copy only", noInstance, true, false, false},
        {"explicit archive copy", {}, true, true, false},
        {"nothing to find", noData, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome home(c.options);
        const std::optional<std::filesystem::path> copy =
            c.archiveCopy ? std::optional(home.addArchiveCopy(QStringLiteral("2026-01-01"))) : std::nullopt;
        SessionHarness harness;
        const auto session = harness.build(home);
        if (c.chooseCopy)
            session->setLabInstance(copy);

        const InstallInspection inspection = session->discoverAndInspect();
        const std::optional<std::filesystem::path> expected =
            c.expectLive ? std::optional(home.instanceRoot()) : copy;
        EXPECT_EQ(session->labInstance(), expected);
        EXPECT_EQ(inspection.instanceRoot, expected);
        EXPECT_EQ(session->instanceChosenExplicitly(), c.chooseCopy);
        EXPECT_EQ(session->lastInspection(), inspection);
        EXPECT_EQ(session->stateGeneration(), c.chooseCopy ? 1u : 0u);
    }
}

TEST(CompanionSession, CertifiedInspectionRefusesOtherBuildsAndKeepsTheStoredOne)
{
    struct Case {
        const char* name;
        std::optional<QString> packVersion;
        std::optional<QString> forgeId;
        QString message;
    };
    const Case cases[] = {
        {"old pack", QStringLiteral("1.2.5"), CertifiedPack::forgeId,
         QStringLiteral("This instance is Tekkit 1.2.5. Orvane\u2019s certified profile is 1.2.6.")},
        {"other Forge", CertifiedPack::version, QStringLiteral("1.12.2-forge-14.23.5.2847"),
         QStringLiteral("This instance uses Forge 1.12.2-forge-14.23.5.2847. Orvane\u2019s certified profile is "
                        "14.23.5.2860.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome home;
        SessionHarness harness;
        const auto session = harness.build(home);
        const InstallInspection certified = session->inspectCertified();
        EXPECT_TRUE(certified.isCertifiedPack);

        FixtureHome::Instance content;
        content.packVersion = c.packVersion;
        content.forgeId = c.forgeId;
        FixtureHome::writeInstance(home.instanceRoot(), content);
        const OrvaneError error = thrownBy<OrvaneError>([&] { session->inspectCertified(); });
        EXPECT_EQ(error.description(), c.message);
        EXPECT_EQ(session->lastInspection(), certified);

        // The plain inspection stores what it saw.
        EXPECT_FALSE(session->inspect().isCertifiedPack);
        EXPECT_FALSE(session->lastInspection()->isCertifiedPack);
    }
}

TEST(CompanionSession, RefreshCapabilityMeasuresThroughTheSeamsAndStores)
{
    FixtureHome home;
    SessionHarness harness;
    harness.rosetta->installed = false;
    const auto session = harness.build(home);
    const CapabilityReport report = session->refreshCapability();
    EXPECT_EQ(report.architecture, QStringLiteral("arm64"));
    EXPECT_EQ(report.physicalMemoryBytes, std::uint64_t(16) << 30);
    EXPECT_EQ(report.displayHeight, 1964);
    EXPECT_FALSE(report.rosettaInstalled);
    EXPECT_EQ(report.capturedAt, harness.clock->currentDate());
    EXPECT_EQ(session->lastCapability(), report);
}
