#include "model/AppModel.h"

#include "json/DescribedError.h"
#include "model/OpenFailureText.h"
#include "model/UpdateCheck.h"

#include <QCoreApplication>
#include <QTimer>

namespace orvane {

AppModel::AppModel(std::shared_ptr<SessionPort> session, AppSeams seams, QObject* parent)
    : QObject(parent)
    , m_seams(std::move(seams))
    , m_latestReleaseURL(updateCheck::latestReleaseURL(m_seams.releaseHost))
    , m_session(std::move(session))
{
    if (auto* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &AppModel::prepareToQuit);
}

AppModel::~AppModel()
{
    // A watch holds a pool thread for minutes; the pool is waited for when the runner goes.
    if (m_state.providerOperationActive)
        m_session->cancelActiveLaunch();
}

void AppModel::setStateForTesting(const AppModelState& state)
{
    setAvailablePacks(state.availablePacks);
    setSelectedPackID(state.selectedPackID);
    setCapability(state.capability);
    setInspection(state.inspection);
    setBackup(state.backup);
    setApplyResult(state.applyResult);
    setRestoreResult(state.restoreResult);
    setProviderLaunchResult(state.providerLaunchResult);
    setLaunch(state.launch);
    setLiveLaunchEventStatus(state.liveLaunchEventStatus);
    setProviderOperationActive(state.providerOperationActive);
    setCancellationRequested(state.cancellationRequested);
    setLaunchWasCancelled(state.launchWasCancelled);
    setDiagnosticPreview(state.diagnosticPreview);
    setDiagnosticURL(state.diagnosticURL);
    setLabInstancePath(state.labInstancePath);
    setSavesBackup(state.savesBackup);
    setHandoffReadiness(state.handoffReadiness);
    setPersistedLaunchReceipt(state.persistedLaunchReceipt);
    setObservingLaunch(state.observingLaunch);
    setStatus(state.status);
    setErrorMessage(state.errorMessage);
    setBusy(state.busy);
    setUpdateCheckState(state.updateCheckState);
    setInitialInspectionCompleted(state.initialInspectionCompleted);
    setPrimaryActionInFlight(state.primaryActionInFlight);
    setActiveProviderOperationID(state.activeProviderOperationID);
    setTerminalProviderOperationIDs(state.terminalProviderOperationIDs);
}

void AppModel::scheduleChanged()
{
    if (m_changedPending)
        return;
    m_changedPending = true;
    QTimer::singleShot(0, this, [this] {
        m_changedPending = false;
        Q_EMIT changed();
    });
}

QCoro::Task<> AppModel::runOperation(std::function<QCoro::Task<>()> body)
{
    setBusy(true);
    setErrorMessage(std::nullopt);
    try {
        // Returns only while the model lives: the body awaits the session only through onSession.
        co_await body();
    } catch (const ModelGone&) {
        co_return;
    } catch (...) {
        showError(std::current_exception());
    }
    setBusy(false);
}

void AppModel::showError(const std::exception_ptr& error)
{
    const QString text = describeError(error);
    setErrorMessage(text);
    setStatus(text);
}

void AppModel::reportNotOpened(const QUrl& url) { setStatus(openFailureText(url)); }

QString AppModel::describeError(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return describe(e);
    } catch (...) {
        return QStringLiteral("Orvane hit an unexpected error.");
    }
}

void AppModel::setAvailablePacks(const std::vector<PackDescriptor>& value)
{
    assign(&AppModelState::availablePacks, value, &AppModel::availablePacksChanged);
}

void AppModel::setSelectedPackID(const PackID& value)
{
    assign(&AppModelState::selectedPackID, value, &AppModel::selectedPackIDChanged);
}

void AppModel::setCapability(const std::optional<CapabilityReport>& value)
{
    assign(&AppModelState::capability, value, &AppModel::capabilityChanged);
}

void AppModel::setInspection(const std::optional<InstallInspection>& value)
{
    assign(&AppModelState::inspection, value, &AppModel::inspectionChanged);
}

void AppModel::setBackup(const std::optional<BackupManifest>& value)
{
    assign(&AppModelState::backup, value, &AppModel::backupChanged);
}

void AppModel::setApplyResult(const std::optional<ApplyResult>& value)
{
    assign(&AppModelState::applyResult, value, &AppModel::applyResultChanged);
}

void AppModel::setRestoreResult(const std::optional<RestoreResult>& value)
{
    assign(&AppModelState::restoreResult, value, &AppModel::restoreResultChanged);
}

void AppModel::setProviderLaunchResult(const std::optional<LaunchResult>& value)
{
    assign(&AppModelState::providerLaunchResult, value, &AppModel::providerLaunchResultChanged);
}

void AppModel::setLaunch(const std::optional<LaunchObservation>& value)
{
    assign(&AppModelState::launch, value, &AppModel::launchChanged);
}

void AppModel::setLiveLaunchEventStatus(const std::optional<QString>& value)
{
    assign(&AppModelState::liveLaunchEventStatus, value, &AppModel::liveLaunchEventStatusChanged);
}

void AppModel::setProviderOperationActive(bool value)
{
    assign(&AppModelState::providerOperationActive, value, &AppModel::providerOperationActiveChanged);
}

void AppModel::setCancellationRequested(bool value)
{
    assign(&AppModelState::cancellationRequested, value, &AppModel::cancellationRequestedChanged);
}

void AppModel::setLaunchWasCancelled(bool value)
{
    assign(&AppModelState::launchWasCancelled, value, &AppModel::launchWasCancelledChanged);
}

void AppModel::setDiagnosticPreview(const std::optional<QString>& value)
{
    assign(&AppModelState::diagnosticPreview, value, &AppModel::diagnosticPreviewChanged);
}

void AppModel::setDiagnosticURL(const std::optional<std::filesystem::path>& value)
{
    assign(&AppModelState::diagnosticURL, value, &AppModel::diagnosticURLChanged);
}

void AppModel::setLabInstancePath(const std::optional<QString>& value)
{
    assign(&AppModelState::labInstancePath, value, &AppModel::labInstancePathChanged);
}

void AppModel::setSavesBackup(const std::optional<BackupManifest>& value)
{
    assign(&AppModelState::savesBackup, value, &AppModel::savesBackupChanged);
}

void AppModel::setHandoffReadiness(const std::optional<HandoffReadinessReport>& value)
{
    assign(&AppModelState::handoffReadiness, value, &AppModel::handoffReadinessChanged);
}

void AppModel::setPersistedLaunchReceipt(const std::optional<LaunchReceipt>& value)
{
    assign(&AppModelState::persistedLaunchReceipt, value, &AppModel::persistedLaunchReceiptChanged);
}

void AppModel::setObservingLaunch(bool value)
{
    assign(&AppModelState::observingLaunch, value, &AppModel::observingLaunchChanged);
}

void AppModel::setStatus(const QString& value)
{
    assign(&AppModelState::status, value, &AppModel::statusChanged);
}

void AppModel::setErrorMessage(const std::optional<QString>& value)
{
    assign(&AppModelState::errorMessage, value, &AppModel::errorMessageChanged);
}

void AppModel::setBusy(bool value)
{
    assign(&AppModelState::busy, value, &AppModel::busyChanged);
}

void AppModel::setUpdateCheckState(const UpdateCheckState& value)
{
    assign(&AppModelState::updateCheckState, value, &AppModel::updateCheckStateChanged);
}

void AppModel::setInitialInspectionCompleted(bool value)
{
    assign(&AppModelState::initialInspectionCompleted, value, &AppModel::initialInspectionCompletedChanged);
}

void AppModel::setPrimaryActionInFlight(bool value)
{
    assign(&AppModelState::primaryActionInFlight, value, &AppModel::primaryActionInFlightChanged);
}

void AppModel::setActiveProviderOperationID(const std::optional<QUuid>& value)
{
    assign(&AppModelState::activeProviderOperationID, value, &AppModel::activeProviderOperationIDChanged);
}

void AppModel::setTerminalProviderOperationIDs(const std::vector<QUuid>& value)
{
    assign(&AppModelState::terminalProviderOperationIDs, value, &AppModel::terminalProviderOperationIDsChanged);
}

} // namespace orvane
