#pragma once

#include "model/CapabilityReport.h"
#include "model/DirectLaunchGateEvaluator.h"
#include "model/LaunchProvider.h"
#include "model/OrvanePaths.h"
#include "model/PackDescriptor.h"
#include "model/Stage2GateEvidence.h"
#include "platform/FileOperations.h"
#include "platform/ProcessEnvironment.h"
#include "session/CompanionSession.h"
#include "support/FakeLaunchClock.h"
#include "support/FakeProcessInspector.h"
#include "support/FixtureHome.h"
#include "support/PlatformFakes.h"
#include "support/RecordingOpener.h"
#include "technic/MacCapabilityDetector.h"

#include <QDateTime>

#include <memory>
#include <optional>
#include <vector>

namespace orvane::test {

// A companion session over a fixture home with every machine seam replaced by a fake the test can
// set before (or, for the fakes, after) building it.
struct SessionHarness {
    std::optional<std::filesystem::path> labInstance;
    std::optional<CapabilityReport> capability;
    std::shared_ptr<LaunchProvider> provider;
    std::vector<PackDescriptor> packs = CompanionSession::supportedPacks();
    Stage2GateEvidence evidence;
    double observationTimeout = 180;

    std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
    std::shared_ptr<FakeProcessInspector> processes = std::make_shared<FakeProcessInspector>();
    std::shared_ptr<FakeSystemFacts> facts = defaultFacts();
    std::shared_ptr<FakeRosettaProbe> rosetta = std::make_shared<FakeRosettaProbe>(true);
    std::shared_ptr<FakeLaunchClock> clock =
        std::make_shared<FakeLaunchClock>(QDateTime(QDate(2026, 12, 8), QTime(7, 21, 8), Qt::UTC));
    std::shared_ptr<FileOperations> files = FileOperations::system();
    MainDisplay display {3024, 1964, 2};
    ProcessEnvironment environment;
    // The machine's name, never the real one: a diagnostic bundle redacts it.
    QString hostName = QStringLiteral("harness-machine");
    StoreLock::Patience storeLockPatience;

    std::unique_ptr<CompanionSession> build(const FixtureHome& home) const
    {
        CompanionSession::Seams seams;
        seams.files = files;
        seams.clock = clock;
        const MainDisplay shown = display;
        seams.detector = MacCapabilityDetector(home.home(), [shown] { return shown; }, facts, rosetta);
        seams.rosetta = rosetta;
        seams.environment = environment;
        seams.hostName = [name = hostName] { return name; };
        seams.jvmRoot = home.jvmRoot();
        seams.storeLockPatience = storeLockPatience;
        return std::make_unique<CompanionSession>(home.paths(), home.locator(), opener, processes,
                                                  labInstance, capability, provider, packs, evidence,
                                                  DirectLaunchGateEvaluator {clock->currentDate()},
                                                  observationTimeout, std::move(seams));
    }

    // An Apple silicon machine with 16 GiB.
    static std::shared_ptr<FakeSystemFacts> defaultFacts()
    {
        auto facts = std::make_shared<FakeSystemFacts>();
        facts->memoryBytes = std::uint64_t(16) << 30;
        facts->machine = QStringLiteral("arm64");
        return facts;
    }
};

} // namespace orvane::test
