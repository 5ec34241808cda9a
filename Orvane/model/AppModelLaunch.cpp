// The model's side of a provider launch: live events, CANCEL, the outcome, and quitting during a watch.
#include "model/AppModel.h"

#include "json/DescribedError.h"
#include "model/LaunchResultDiagnostic.h"
#include "model/StatusLineText.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>

namespace orvane {

namespace {

// The most finished operations remembered; events of older ones can no longer arrive.
constexpr std::size_t terminalOperationMemory = 32;
// How often quitting repeats its cancel while it waits for the pool, in milliseconds.
constexpr int quitCancelInterval = 50;

} // namespace

QCoro::Task<LaunchResult> AppModel::observeLaunch()
{
    setProviderOperationActive(true);
    setCancellationRequested(false);
    setActiveProviderOperationID(std::nullopt);

    // Events arrive on the provider's thread. Each is posted to the main thread and delivered only
    // while the model lives; a queued call never blocks the provider, even while the application quits.
    QPointer<AppModel> model(this);
    LaunchEventHandler onEvent = [model](const LaunchEvent& event) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [model, event] {
                if (model)
                    model->handleLaunchEvent(event);
            },
            Qt::QueuedConnection);
    };

    std::exception_ptr failure;
    std::optional<LaunchResult> result;
    try {
        auto watch = onSession([onEvent](SessionPort& s) { return s.launchSelectedPack(onEvent); });
        result = co_await watch;
    } catch (const ModelGone&) {
        throw;
    } catch (...) {
        failure = std::current_exception();
    }
    setProviderOperationActive(false);
    setCancellationRequested(false);
    if (failure)
        std::rethrow_exception(failure);
    co_return std::move(*result);
}

void AppModel::handleLaunchEvent(const LaunchEvent& event)
{
    if (!m_state.providerOperationActive)
        return;
    const PackDescriptor pack = selectedPack();
    if (event.packID != m_state.selectedPackID || event.providerID != pack.providerID)
        return;
    const auto& finished = m_state.terminalProviderOperationIDs;
    if (std::find(finished.begin(), finished.end(), event.operationID) != finished.end())
        return;
    if (!m_state.activeProviderOperationID)
        setActiveProviderOperationID(event.operationID);
    if (*m_state.activeProviderOperationID != event.operationID)
        return;

    const QString line = firstGraphemeClusters(event.message, statusLineLength);
    setLiveLaunchEventStatus(line);
    setStatus(line);
    if (isTerminal(event.kind)) {
        markProviderOperationTerminal(event.operationID);
        if (event.kind == LaunchEventKind::cancelled)
            setLaunchWasCancelled(true);
    }
}

void AppModel::markProviderOperationTerminal(const QUuid& id)
{
    std::vector<QUuid> finished = m_state.terminalProviderOperationIDs;
    if (std::find(finished.begin(), finished.end(), id) != finished.end())
        return;
    finished.push_back(id);
    if (finished.size() > terminalOperationMemory)
        finished.erase(finished.begin(),
                       finished.begin() + static_cast<std::ptrdiff_t>(finished.size() - terminalOperationMemory));
    setTerminalProviderOperationIDs(std::move(finished));
}

void AppModel::finishProviderLaunch(const LaunchResult& result)
{
    markProviderOperationTerminal(result.operationID);
    setActiveProviderOperationID(std::nullopt);
    setProviderLaunchResult(result);
    setLaunch(result.legacyObservation);
    setLiveLaunchEventStatus(std::nullopt);
    setLaunchWasCancelled(result.state == LaunchResultState::cancelled);
    setStatus(result.message);
    if (result.state == LaunchResultState::failed)
        setErrorMessage(result.message);
    reloadLaunchReceipt();
}

QCoro::Task<> AppModel::reloadLaunchReceipt()
{
    try {
        setPersistedLaunchReceipt(co_await onSession([](SessionPort& s) { return s.loadLatestLaunchReceipt(); }));
        co_await refreshReadiness();
    } catch (const ModelGone&) {
        co_return;
    } catch (...) {
        showError(std::current_exception());
    }
}

void AppModel::finishCancelledLaunch()
{
    if (m_state.activeProviderOperationID)
        markProviderOperationTerminal(*m_state.activeProviderOperationID);
    setActiveProviderOperationID(std::nullopt);
    setProviderLaunchResult(std::nullopt);
    setLaunch(std::nullopt);
    setLiveLaunchEventStatus(std::nullopt);
    setLaunchWasCancelled(true);
    setErrorMessage(std::nullopt);
    setStatus(QStringLiteral("Launch observation cancelled."));
}

void AppModel::endFailedLaunch(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const CancellationError&) {
        finishCancelledLaunch();
    } catch (...) {
        showError(std::current_exception());
    }
}

void AppModel::clearLaunchResults()
{
    setProviderLaunchResult(std::nullopt);
    setLaunch(std::nullopt);
    setLiveLaunchEventStatus(std::nullopt);
    setLaunchWasCancelled(false);
}

void AppModel::clearOperationResults()
{
    setApplyResult(std::nullopt);
    setRestoreResult(std::nullopt);
    clearLaunchResults();
}

QCoro::Task<> AppModel::cancelLaunchObservation()
{
    if (!m_state.providerOperationActive || m_state.cancellationRequested)
        co_return;
    setCancellationRequested(true);
    try {
        if (co_await onSession([](SessionPort& s) { return s.cancelActiveLaunch(); })) {
            setStatus(QStringLiteral("Launch observation cancelled."));
            setLaunchWasCancelled(true);
        } else {
            setCancellationRequested(false);
        }
    } catch (const ModelGone&) {
        co_return;
    } catch (...) {
        showError(std::current_exception());
    }
}

void AppModel::prepareToQuit()
{
    // A watch holds its pool thread for up to three minutes. Ask it to stop, and ask again while the
    // pool drains: a launch that had not reached the session at the first request is stopped as well.
    // Every other call is left to finish, so no file is left half-written. The window is gone by now,
    // so calling the session here holds up nothing the user sees.
    do {
        m_session->cancelActiveLaunch();
    } while (!m_runner.waitForDone(quitCancelInterval));
}

} // namespace orvane
