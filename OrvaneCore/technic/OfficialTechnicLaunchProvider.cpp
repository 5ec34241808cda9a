#include "technic/OfficialTechnicLaunchProvider.h"

#include "json/DescribedError.h"
#include "model/LaunchEventLog.h"
#include "model/LaunchProviderError.h"
#include "model/OrvaneError.h"
#include "technic/LaunchObserver.h"
#include "technic/LauncherAdapter.h"
#include "technic/TechnicJavaSafety.h"

#include <QUuid>

namespace orvane {

const QString OfficialTechnicLaunchProvider::preparingMessage = QStringLiteral("Checking the official Technic handoff.");
const QString OfficialTechnicLaunchProvider::openingMessage = QStringLiteral("Opening official Technic.");
const QString OfficialTechnicLaunchProvider::readyMessage = QStringLiteral("Technic is ready for Play.");
const QString OfficialTechnicLaunchProvider::cancelledMessage = QStringLiteral("Launch observation cancelled.");
const QString OfficialTechnicLaunchProvider::completedMessage = QStringLiteral("Launch handoff complete.");

namespace {

struct OutcomeMapping {
    LaunchEventKind kind;
    LaunchResultState state;
    bool completes;
};

OutcomeMapping mapping(LaunchOutcome outcome)
{
    switch (outcome) {
    case LaunchOutcome::openedTechnicWaitingForPlayer:
        return {LaunchEventKind::waitingForPlayer, LaunchResultState::handoffReady, true};
    case LaunchOutcome::javaStarted:
        return {LaunchEventKind::gameDetected, LaunchResultState::gameStarted, true};
    case LaunchOutcome::forgeLoaded:
        return {LaunchEventKind::gameLoaded, LaunchResultState::gameLoaded, true};
    case LaunchOutcome::crashDetected:
    case LaunchOutcome::technicMissing:
        return {LaunchEventKind::failed, LaunchResultState::failed, false};
    case LaunchOutcome::timedOut:
        return {LaunchEventKind::timedOut, LaunchResultState::timedOut, false};
    }
    return {LaunchEventKind::failed, LaunchResultState::failed, false};
}

// One launch's events: each is logged, then handed to the caller, who has it before the next.
// Dates never run backwards, even when the wall clock is set back during a watch: the session
// refuses a result whose events are out of order or outside its start and finish.
class EventEmitter final {
public:
    EventEmitter(const PackLaunchRequest& request, LaunchProviderID providerID, const LaunchEventHandler& onEvent,
                 LaunchClock& clock, QDateTime startedAt)
        : m_request(request), m_providerID(std::move(providerID)), m_onEvent(onEvent), m_clock(clock),
          m_latest(std::move(startedAt))
    {
    }

    void emit(LaunchEventKind kind, const QString& message)
    {
        const LaunchEvent event{QUuid::createUuid(), m_request.operationID, m_providerID, m_request.pack.id, kind,
                                now(), message};
        m_log.append(event);
        if (m_onEvent)
            m_onEvent(event);
    }

    QDateTime now()
    {
        const QDateTime current = m_clock.currentDate();
        if (current > m_latest)
            m_latest = current;
        return m_latest;
    }

    std::vector<LaunchEvent> events() const { return m_log.events(); }

private:
    const PackLaunchRequest& m_request;
    LaunchProviderID m_providerID;
    const LaunchEventHandler& m_onEvent;
    LaunchClock& m_clock;
    QDateTime m_latest;
    LaunchEventLog m_log;
};

} // namespace

OfficialTechnicLaunchProvider::OfficialTechnicLaunchProvider(std::shared_ptr<ApplicationOpener> opener,
                                                             std::shared_ptr<ProcessInspecting> processes,
                                                             double observationTimeout,
                                                             std::shared_ptr<LaunchClock> clock,
                                                             std::shared_ptr<FileOperations> files,
                                                             QString hostArchitecture)
    : m_opener(std::move(opener)),
      m_processes(std::move(processes)),
      m_observationTimeout(observationTimeout),
      m_clock(std::move(clock)),
      m_files(std::move(files)),
      m_hostArchitecture(std::move(hostArchitecture))
{
}

LaunchResult OfficialTechnicLaunchProvider::launch(const PackLaunchRequest& request, const LaunchEventHandler& onEvent,
                                                   std::stop_token stop)
{
    if (stop.stop_requested())
        throw CancellationError();
    if (request.pack.providerID != id() || request.pack.launchMode != mode())
        throw LaunchProviderError::providerMismatch(request.pack.providerID, id(), request.pack.launchMode, mode());

    const QDateTime startedAt = m_clock->currentDate();
    EventEmitter events(request, id(), onEvent, *m_clock, startedAt);
    const auto result = [&](LaunchResultState state, const QString& message, LaunchObservation observation) {
        const QDateTime finishedAt = events.now();
        return LaunchResult{request.operationID, request.pack, id(), request.pack.launchMode, startedAt, finishedAt,
                            events.events(), state, message, std::move(observation)};
    };

    events.emit(LaunchEventKind::preparing, preparingMessage);

    if (!request.providerApplication) {
        const QString missing = OrvaneError::technicAppMissing().description();
        events.emit(LaunchEventKind::failed, missing);
        return result(LaunchResultState::failed, missing,
                      LaunchObservation{false, false, false, std::nullopt, std::nullopt, QString(),
                                        LaunchOutcome::technicMissing, missing});
    }

    if (request.providerDataRoot)
        TechnicJavaSafety::removeUserJDKSymlink(*request.providerDataRoot, *m_files);

    const LauncherAdapter launcher(m_opener, m_processes);
    // The launcher started here, when the open started one itself: the watch tells its failed start.
    std::shared_ptr<const StartedProcess> started;
    if (launcher.isTechnicRunning()) {
        events.emit(LaunchEventKind::waitingForPlayer, readyMessage);
    } else {
        events.emit(LaunchEventKind::openingProvider, openingMessage);
        launcher.open(*request.providerApplication);
        started = m_opener->startedProcess();
        events.emit(LaunchEventKind::waitingForPlayer, readyMessage);
    }

    const LaunchObserver observer(m_processes, m_observationTimeout, m_clock, std::move(started), m_hostArchitecture);
    LaunchObservation observation;
    try {
        observation = observer.observe(request.instanceRoot, request.providerDataRoot, stop);
    } catch (const CancellationError&) {
        events.emit(LaunchEventKind::cancelled, cancelledMessage);
        throw CancellationError();
    }

    const OutcomeMapping mapped = mapping(observation.outcome);
    events.emit(mapped.kind, observation.message);
    if (mapped.completes)
        events.emit(LaunchEventKind::completed, completedMessage);
    const QString message = observation.message;
    return result(mapped.state, message, std::move(observation));
}

} // namespace orvane
