#pragma once

// A session over a fixture home with a scripted launch provider, for the launch and diagnostics tests.

#include "session/CompanionSession.h"

#include "json/DescribedError.h"

#include "support/FakeLaunchClock.h"
#include "support/FakeProcessInspector.h"
#include "support/FixtureHome.h"
#include "support/PlatformFakes.h"
#include "support/RecordingOpener.h"

#include <QUuid>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

namespace orvane::test {

// A one-shot flag another thread waits for. Waits are bounded so that a broken test fails instead of
// hanging; nothing here sleeps for a time.
class Signal final {
public:
    void set()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_set = true;
        }
        m_changed.notify_all();
    }

    // True when set within `bound`.
    bool wait(std::chrono::milliseconds bound = std::chrono::seconds(10))
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, bound, [this] { return m_set; });
    }

    // True when set; false as soon as `stop` is requested.
    bool wait(std::stop_token stop)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait(lock, stop, [this] { return m_set; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    bool m_set = false;
};

// The events of one scripted launch, dated one second apart from a fixed start.
class ScriptedPlay final {
public:
    static inline const QDateTime start =
        QDateTime::fromString(QStringLiteral("2026-12-08T07:21:08Z"), Qt::ISODate);

    ScriptedPlay(const PackLaunchRequest& request, LaunchProviderID providerID, const LaunchEventHandler& onEvent)
        : m_request(request), m_providerID(std::move(providerID)), m_onEvent(onEvent)
    {
    }

    LaunchEvent make(LaunchEventKind kind, QString message = QStringLiteral("Technic is ready for Play."))
    {
        ++m_count;
        return LaunchEvent{QUuid::createUuid(), m_request.operationID, m_providerID, m_request.pack.id, kind,
                           start.addSecs(m_count), std::move(message)};
    }

    // Hands `event` to the session and remembers it for the result.
    LaunchEvent report(const LaunchEvent& event)
    {
        m_reported.push_back(event);
        m_onEvent(event);
        return event;
    }
    LaunchEvent report(LaunchEventKind kind) { return report(make(kind)); }

    // A result of every reported event, finished a second after the last; with an observation unless
    // told otherwise.
    LaunchResult result(LaunchResultState state, QString message = QStringLiteral("Launch handoff complete."),
                        bool observation = true) const
    {
        std::optional<LaunchObservation> legacy;
        if (observation)
            legacy = LaunchObservation{true, true, true, QStringLiteral("arm64"), false,
                                       QStringLiteral("[FML]: Forge Mod Loader has successfully loaded 181 mods"),
                                       LaunchOutcome::forgeLoaded, message};
        return LaunchResult{m_request.operationID, m_request.pack, m_providerID,
                            m_request.pack.launchMode, start, start.addSecs(m_count + 1),
                            m_reported, state, std::move(message), std::move(legacy)};
    }

    const std::vector<LaunchEvent>& reported() const { return m_reported; }

private:
    const PackLaunchRequest& m_request;
    LaunchProviderID m_providerID;
    const LaunchEventHandler& m_onEvent;
    std::vector<LaunchEvent> m_reported;
    int m_count = 0;
};

// A provider whose launches follow `script`. The default script reports preparing and
// waitingForPlayer, signals `watching`, waits for `release` (a stop ends the wait and the launch
// with CancellationError), then reports completed and returns gameLoaded with an observation.
class ScriptedProvider final : public LaunchProvider {
public:
    using Script = std::function<LaunchResult(ScriptedPlay&, std::stop_token)>;

    explicit ScriptedProvider(LaunchProviderID id = LaunchProviderID::officialTechnic,
                              LaunchMode mode = LaunchMode::companionHandoff)
        : m_id(std::move(id)), m_mode(mode)
    {
    }

    LaunchProviderID id() const override { return m_id; }
    LaunchMode mode() const override { return m_mode; }

    LaunchResult launch(const PackLaunchRequest& request, const LaunchEventHandler& onEvent,
                        std::stop_token stop) override
    {
        ++calls;
        {
            const std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        ScriptedPlay play(request, m_id, onEvent);
        return script ? script(play, stop) : watchUntilReleased(play, stop);
    }

    LaunchResult watchUntilReleased(ScriptedPlay& play, std::stop_token stop)
    {
        play.report(LaunchEventKind::preparing);
        play.report(LaunchEventKind::waitingForPlayer);
        watching.set();
        if (!release.wait(stop))
            throw CancellationError();
        play.report(LaunchEventKind::completed);
        return play.result(LaunchResultState::gameLoaded);
    }

    std::vector<PackLaunchRequest> requests() const
    {
        const std::lock_guard lock(m_mutex);
        return m_requests;
    }

    Script script;
    Signal watching;
    Signal release;
    std::atomic<int> calls = 0;

private:
    LaunchProviderID m_id;
    LaunchMode m_mode;
    mutable std::mutex m_mutex;
    std::vector<PackLaunchRequest> m_requests;
};

// Collects the events a launch hands to its caller; safe to read from the test's thread.
class EventSink final {
public:
    LaunchEventHandler handler()
    {
        return [this](const LaunchEvent& event) {
            const std::lock_guard lock(m_mutex);
            m_events.push_back(event);
        };
    }
    std::vector<LaunchEvent> events() const
    {
        const std::lock_guard lock(m_mutex);
        return m_events;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<LaunchEvent> m_events;
};

// The capability most tests start with: a 16 GiB arm64 machine with a Retina display and Rosetta.
inline CapabilityReport sampleCapability()
{
    CapabilityReport report;
    report.chipBrand = QStringLiteral("Apple M2 Pro");
    report.hardwareModel = QStringLiteral("Mac14,12");
    report.architecture = QStringLiteral("arm64");
    report.physicalMemoryBytes = 16ULL << 30;
    report.physicalMemoryGigabytes = 16;
    report.backingScale = 2;
    report.displayWidth = 3024;
    report.displayHeight = 1964;
    report.isRetina = true;
    report.rosettaInstalled = true;
    report.osVersion = QStringLiteral("Test OS 1.0");
    report.capturedAt = ScriptedPlay::start;
    return report;
}

// A session over a fixture home whose instance is chosen explicitly.
struct LaunchRig {
    struct Options {
        FixtureHome::Options home;
        std::vector<PackDescriptor> packs = CompanionSession::supportedPacks();
        Stage2GateEvidence evidence;
        std::optional<CapabilityReport> capability = sampleCapability();
        bool chooseInstance = true;
        // The process table; the scripted one when absent.
        std::shared_ptr<ProcessInspecting> processes;
        // The session's environment and the machine's name, never the real ones.
        ProcessEnvironment environment;
        QString hostName = QStringLiteral("rig-machine");
    };

    explicit LaunchRig(std::shared_ptr<LaunchProvider> provider) : LaunchRig(std::move(provider), Options()) {}

    LaunchRig(std::shared_ptr<LaunchProvider> provider, Options options)
        : home(std::move(options.home)),
          processes(options.processes ? options.processes : scriptedProcesses)
    {
        facts->memoryBytes = 32ULL << 30;
        facts->settings = {{QStringLiteral("machdep.cpu.brand_string"), QStringLiteral("Apple M1")},
                           {QStringLiteral("hw.model"), QStringLiteral("MacBookAir10,1")}};
        CompanionSession::Seams seams;
        seams.clock = clock;
        seams.rosetta = rosetta;
        seams.detector = MacCapabilityDetector(home.home(), [] { return MainDisplay{2560, 1600, 2}; }, facts, rosetta);
        seams.environment = std::move(options.environment);
        seams.hostName = [name = options.hostName] { return name; };
        seams.jvmRoot = home.jvmRoot();
        seams.bundleVersions = {QStringLiteral("1.4.0"), QStringLiteral("57")};
        session = std::make_unique<CompanionSession>(
            home.paths(), home.locator(), opener, processes,
            options.chooseInstance ? std::optional(home.instanceRoot()) : std::nullopt, options.capability,
            std::move(provider), std::move(options.packs), options.evidence,
            DirectLaunchGateEvaluator{ScriptedPlay::start}, 180, std::move(seams));
    }

    OrvanePaths paths() const { return home.paths(); }

    FixtureHome home;
    std::shared_ptr<RecordingOpener> opener = std::make_shared<RecordingOpener>();
    std::shared_ptr<FakeProcessInspector> scriptedProcesses = std::make_shared<FakeProcessInspector>();
    std::shared_ptr<ProcessInspecting> processes;
    std::shared_ptr<FakeLaunchClock> clock = std::make_shared<FakeLaunchClock>(ScriptedPlay::start.addSecs(60));
    std::shared_ptr<FakeSystemFacts> facts = std::make_shared<FakeSystemFacts>();
    std::shared_ptr<FakeRosettaProbe> rosetta = std::make_shared<FakeRosettaProbe>(true);
    std::unique_ptr<CompanionSession> session;
};

} // namespace orvane::test
