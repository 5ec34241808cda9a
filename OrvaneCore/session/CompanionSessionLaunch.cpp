#include "session/CompanionSession.h"

#include "json/DescribedError.h"
#include "model/LaunchProviderError.h"
#include "model/OrvaneError.h"
#include "records/LaunchReceiptStore.h"
#include "records/LaunchReceiptWriter.h"
#include "session/LaunchResultContract.h"
#include "session/LiveEventContract.h"
#include "technic/OfficialTechnicLaunchProvider.h"

#include <utility>

namespace orvane {

namespace {

// The cancelled launches remembered; a cancel that would pass this keeps only its own token.
constexpr std::size_t maximumCancelledLaunches = 32;

std::filesystem::path receiptsFolder(const OrvanePaths& paths)
{
    return paths.diagnostics / "launch-receipts";
}

} // namespace

LaunchObservation CompanionSession::openTechnic(std::stop_token callerStop)
{
    const LaunchResult result = launchSelectedPack([](const LaunchEvent&) {}, std::move(callerStop));
    if (!result.legacyObservation)
        throw OrvaneError::launchObservationFailed(
            QStringLiteral("The selected provider did not return a Technic observation."));
    return *result.legacyObservation;
}

LaunchResult CompanionSession::launchSelectedPack(const LaunchEventHandler& onEvent, std::stop_token callerStop)
{
    const StartedLaunch launch = [this] {
        Locked locked(m_mutex);
        return startLaunch(locked);
    }();
    const LaunchResult result = runProvider(launch, onEvent, callerStop);
    Locked locked(m_mutex);
    return finishLaunch(locked, result, launch.request, *launch.provider, launch.token, launch.inspection,
                        callerStop);
}

PackDescriptor CompanionSession::launchablePack(Locked&) const
{
    if (m_activeLaunch)
        throw LaunchProviderError::launchInProgress();
    const std::optional<PackDescriptor> pack = findPack(m_selectedPackID);
    if (!pack)
        throw OrvaneError::io(QStringLiteral("Selected pack ") + m_selectedPackID.rawValue()
                              + QStringLiteral(" is not available in this build."));
    if (!pack->isAvailable())
        throw LaunchProviderError::unavailable(pack->supportReason);
    return *pack;
}

std::optional<InstallInspection> CompanionSession::launchInspection(Locked& locked, const PackDescriptor& pack)
{
    if (pack.launchMode == LaunchMode::direct) {
        const DirectLaunchGateReport gate = m_directLaunchGateEvaluator.evaluate(m_directLaunchGateEvidence);
        if (!gate.isEligible)
            throw LaunchProviderError::directLaunchBlocked(gate.missing);
        return std::nullopt;
    }
    return m_lastInspection ? *m_lastInspection : inspectCertified(locked);
}

CompanionSession::StartedLaunch CompanionSession::startLaunch(Locked& locked)
{
    const PackDescriptor pack = launchablePack(locked);
    std::shared_ptr<LaunchProvider> provider = launchProvider(pack);
    std::optional<InstallInspection> inspection = launchInspection(locked, pack);

    const LaunchOperationToken token{m_makeUuid(), m_stateGeneration};
    StartedLaunch started{
        std::move(provider),
        inspection,
        PackLaunchRequest{
            token.id,
            pack,
            inspection ? inspection->technicApp : std::nullopt,
            inspection ? inspection->technicRoot : std::nullopt,
            inspection ? inspection->instanceRoot : std::nullopt,
        },
        token,
        std::stop_source(),
        std::make_shared<std::mutex>(),
    };
    ActiveLaunch active;
    active.token = token;
    active.stop = started.stop;
    active.delivery = started.delivery;
    m_activeLaunch = std::move(active);
    return started;
}

LaunchResult CompanionSession::runProvider(const StartedLaunch& launch, const LaunchEventHandler& onEvent,
                                           const std::stop_token& callerStop)
{
    try {
        // A stop of the caller's token stops the provider. The callback only touches the stop source;
        // it runs on whichever thread stops the caller's token, never under the session's lock.
        const std::stop_callback linkCaller(callerStop, [stop = launch.stop]() mutable { stop.request_stop(); });
        // Holds its own copies: a provider that calls it after returning finds the launch gone and
        // its events are dropped.
        const LaunchEventHandler sink = [this, request = launch.request, providerID = launch.provider->id(),
                                         generation = launch.token.generation, onEvent,
                                         delivery = launch.delivery](const LaunchEvent& event) {
            recordLiveEvent(event, request, providerID, generation, onEvent, delivery);
        };
        return launch.provider->launch(launch.request, sink, launch.stop.get_token());
    } catch (...) {
        Locked locked(m_mutex);
        clearActiveLaunch(locked, launch.token.id);
        throw;
    }
}

void CompanionSession::recordLiveEvent(const LaunchEvent& event, const PackLaunchRequest& request,
                                       LaunchProviderID providerID, std::uint64_t generation,
                                       const LaunchEventHandler& onEvent, const std::shared_ptr<std::mutex>& delivery)
{
    // A cancel or a stop of the caller's token made from inside the handler runs the provider's stop
    // callbacks on this thread, while this thread holds the delivery lock; whatever they report is
    // dropped here instead of waiting for that lock for ever (the launch ends with CancellationError).
    thread_local const std::mutex* deliveringOn = nullptr;
    if (deliveringOn == delivery.get())
        return;
    // Held from judging to delivery, so events reach the handler in the order they were accepted
    // even when a provider reports from several threads. Always taken before the session lock.
    const std::lock_guard deliveryLock(*delivery);
    {
        Locked locked(m_mutex);
        // Events of a launch that is no longer the running one, was cancelled, or already broke the
        // contract are dropped without judging.
        const LaunchOperationToken token{request.operationID, generation};
        if (!m_activeLaunch || m_activeLaunch->token != token || m_cancelledLaunches.contains(token)
            || m_activeLaunch->eventContractViolation)
            return;
        ActiveLaunch& active = *m_activeLaunch;
        if (auto violation = liveEventViolation(event, request, providerID, active.eventIDs, active.eventDate,
                                                active.terminalEvent)) {
            active.eventContractViolation = std::move(violation);
            return;
        }
        active.eventDate = event.occurredAt;
        if (isTerminal(event.kind))
            active.terminalEvent = event.kind;
        active.events.push_back(event);
    }
    if (!onEvent)
        return;
    // The handler is the caller's code: whatever it throws stays here and never unwinds the provider.
    const std::mutex* const outer = deliveringOn;
    deliveringOn = delivery.get();
    try {
        onEvent(event);
    } catch (...) {
    }
    deliveringOn = outer;
}

LaunchResult CompanionSession::finishLaunch(Locked& locked, const LaunchResult& result,
                                            const PackLaunchRequest& request, const LaunchProvider& provider,
                                            const LaunchOperationToken& token,
                                            const std::optional<InstallInspection>& inspection,
                                            const std::stop_token& callerStop)
{
    try {
        // A cancelled launch reports the cancellation even when its provider returned a result.
        if (m_cancelledLaunches.contains(token) || callerStop.stop_requested())
            throw CancellationError();
        if (m_stateGeneration != token.generation || m_selectedPackID != request.pack.id)
            throw LaunchProviderError::staleCompletion();
        // Only this launch can be the running one: no other starts until it is cleared.
        const ActiveLaunch& active = *m_activeLaunch;
        if (active.eventContractViolation)
            throw LaunchProviderError::invalidResult(*active.eventContractViolation);
        validateLaunchResult(result, request, provider);
        if (active.terminalEvent && !terminalKindMatches(*active.terminalEvent, result.state))
            throw LaunchProviderError::invalidResult(QStringLiteral("live terminal event does not match result state"));
        if (!active.events.empty() && !liveEventsMatchResult(active.events, result.events))
            throw LaunchProviderError::invalidResult(QStringLiteral("live event stream does not match result"));
    } catch (...) {
        clearActiveLaunch(locked, token.id);
        throw;
    }

    m_lastLaunchResult = result;
    m_lastLaunch = result.legacyObservation;
    if (result.legacyObservation && inspection)
        writeLaunchReceipt(locked, *result.legacyObservation, *inspection, result.startedAt);
    clearActiveLaunch(locked, token.id);
    return result;
}

void CompanionSession::clearActiveLaunch(Locked&, const QUuid& operationID)
{
    if (m_activeLaunch && m_activeLaunch->token.id == operationID)
        m_activeLaunch.reset();
}

bool CompanionSession::cancelActiveLaunch()
{
    std::stop_source stop(std::nostopstate);
    {
        const Locked locked(m_mutex);
        if (!m_activeLaunch)
            return false;
        const LaunchOperationToken token = m_activeLaunch->token;
        m_cancelledLaunches.insert(token);
        if (m_cancelledLaunches.size() > maximumCancelledLaunches)
            m_cancelledLaunches = {token};
        stop = m_activeLaunch->stop;
    }
    // The provider's stop callbacks run here, on this thread, and may report through the sink, which
    // takes the lock: so the stop is requested only once the lock is released. The launch is already
    // marked, so whatever they report is dropped and a result returned anyway is refused.
    stop.request_stop();
    return true;
}

std::shared_ptr<LaunchProvider> CompanionSession::launchProvider(const PackDescriptor& pack) const
{
    if (m_launchProviderOverride) {
        const LaunchProviderID id = m_launchProviderOverride->id();
        const LaunchMode mode = m_launchProviderOverride->mode();
        if (id == pack.providerID && mode == pack.launchMode)
            return m_launchProviderOverride;
        throw LaunchProviderError::providerMismatch(pack.providerID, id, pack.launchMode, mode);
    }
    if (pack.providerID == LaunchProviderID::officialTechnic)
        return std::make_shared<OfficialTechnicLaunchProvider>(m_opener, m_processes, m_launchObservationTimeout,
                                                               m_clock, m_files);
    throw OrvaneError::io(QStringLiteral("No approved launch provider is available for ") + pack.name
                          + QLatin1Char('.'));
}

void CompanionSession::writeLaunchReceipt(Locked&, const LaunchObservation& observation,
                                          const InstallInspection& inspection, const QDateTime& startedAt)
{
    try {
        const QDateTime observedAt = now();
        LaunchReceipt receipt = LaunchReceipt::fromObservation(
            observedAt, m_bundleVersions.appVersion, m_bundleVersions.buildNumber, inspection, observation,
            m_lastCapability ? std::optional(m_lastCapability->rosettaInstalled) : std::nullopt,
            double(startedAt.msecsTo(observedAt)) / 1000.0);
        // Redacted as the writer redacts the file, so the written receipt reads back the same.
        if (receipt.failure)
            receipt.failure = redaction()(*receipt.failure);
        m_lastLaunchReceipt = LaunchReceiptWriter(receiptsFolder(m_paths), redaction(), m_files).write(receipt);
    } catch (const std::exception&) {
        // A receipt is a local convenience: failing to write one does not fail the launch.
        m_lastLaunchReceipt.reset();
    }
}

std::optional<LaunchReceipt> CompanionSession::loadLatestLaunchReceipt()
{
    const Locked locked(m_mutex);
    const std::optional<StoredLaunchReceipt> latest = LaunchReceiptStore(receiptsFolder(m_paths), m_files).latest();
    if (!latest) {
        m_lastLaunchReceipt.reset();
        return std::nullopt;
    }
    m_lastLaunchReceipt = latest->url;
    return latest->receipt;
}

} // namespace orvane
