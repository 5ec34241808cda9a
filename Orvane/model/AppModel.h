#pragma once

#include "app/AppSeams.h"
#include "app/PoolRunner.h"
#include "app/SessionPort.h"
#include "model/AppModelState.h"
#include "model/ModelGuidance.h"

#include <qcoro/qcorotask.h>

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

namespace orvane {

// The application's one model, on the GUI thread: everything the window shows (AppModelState), the
// guidance derived from it, and the operations the window starts. It is the session's only caller, and
// calls it only through the pool runner, so the window never waits for the session.
//
// Each property has a getter and one change signal, emitted only when an assignment really changes the
// value; changed() follows any number of changes once, from the event loop, for repainting.
// Operations live in one file per family (AppModel<Family>.cpp); each ends in a catch-all that puts
// the error's text in the status line, so no failure is lost inside a coroutine. The model may be
// destroyed at any time, also while an operation awaits the session: a session call resumes its
// operation only while the model lives, and otherwise unwinds it with ModelGone (see onSession).
class AppModel final : public QObject {
    Q_OBJECT

public:
    // The settings key of the instance folder the user chose.
    static QString labDefaultsKey() { return QStringLiteral("orvane.labInstance"); }

    // Touches no file, process or network. The session is used only from the pool.
    AppModel(std::shared_ptr<SessionPort> session, AppSeams seams, QObject* parent = nullptr);
    // Asks a running launch watch to stop, then waits for the pool's work to end.
    ~AppModel() override;

    const AppModelState& state() const { return m_state; }
    const AppSeams& seams() const { return m_seams; }

    // Replaces the whole state through the setters (so only real changes notify). For tests and
    // previews; operations set single properties.
    void setStateForTesting(const AppModelState& state);

    // --- Operations: each runs on the GUI thread, calls the session on the pool and never throws ---
    // The window starts one in a new task and keeps no handle; a test may co_await the task.
    // (AppModelInspection.cpp)
    QCoro::Task<> performInitialInspection();
    QCoro::Task<> refreshReadiness();
    // (AppModelChoices.cpp)
    QCoro::Task<> chooseInstanceFolder(std::filesystem::path folder);
    QCoro::Task<> inspect();
    QCoro::Task<> selectPack(PackID id);
    QCoro::Task<> checkThisMac();
    // (AppModelRecords.cpp)
    QCoro::Task<> writeDiagnostic();
    QCoro::Task<> backUpWorlds();
    QCoro::Task<> restoreWorlds();
    // (AppModelSettings.cpp) applyBalanced() and openTechnic() have no control of their own.
    QCoro::Task<> backUpSettings();
    QCoro::Task<> restoreSettings();
    QCoro::Task<> applyBalanced();
    QCoro::Task<> openTechnic();
    // (AppModelPrimaryAction.cpp) Returns at once while an earlier action still runs.
    QCoro::Task<> performPrimaryAction();
    // (AppModelLaunch.cpp) CANCEL of the launch-watch card; a second press is ignored.
    QCoro::Task<> cancelLaunchObservation();
    // The desktop would not open `url` (a page or a folder the window handed over): the status line
    // says so with the address or path, so that nothing the user asked for fails unseen.
    void reportNotOpened(const QUrl& url);
    // Connected to the application's aboutToQuit: stops a launch watch and waits until no session call
    // runs, so the application quits in moments instead of after the watch's three minutes.
    void prepareToQuit();
    // True while a session call has not yet come back to its operation.
    bool sessionCallsPending() const { return m_runner.pending() > 0; }

    // --- Observed properties ---
    const std::vector<PackDescriptor>& availablePacks() const { return m_state.availablePacks; }
    const PackID& selectedPackID() const { return m_state.selectedPackID; }
    const std::optional<CapabilityReport>& capability() const { return m_state.capability; }
    const std::optional<InstallInspection>& inspection() const { return m_state.inspection; }
    const std::optional<BackupManifest>& backup() const { return m_state.backup; }
    const std::optional<ApplyResult>& applyResult() const { return m_state.applyResult; }
    const std::optional<RestoreResult>& restoreResult() const { return m_state.restoreResult; }
    const std::optional<LaunchResult>& providerLaunchResult() const { return m_state.providerLaunchResult; }
    const std::optional<LaunchObservation>& launch() const { return m_state.launch; }
    const std::optional<QString>& liveLaunchEventStatus() const { return m_state.liveLaunchEventStatus; }
    bool providerOperationActive() const { return m_state.providerOperationActive; }
    bool cancellationRequested() const { return m_state.cancellationRequested; }
    bool launchWasCancelled() const { return m_state.launchWasCancelled; }
    const std::optional<QString>& diagnosticPreview() const { return m_state.diagnosticPreview; }
    const std::optional<std::filesystem::path>& diagnosticURL() const { return m_state.diagnosticURL; }
    const std::optional<QString>& labInstancePath() const { return m_state.labInstancePath; }
    const std::optional<BackupManifest>& savesBackup() const { return m_state.savesBackup; }
    const std::optional<HandoffReadinessReport>& handoffReadiness() const { return m_state.handoffReadiness; }
    const std::optional<LaunchReceipt>& persistedLaunchReceipt() const { return m_state.persistedLaunchReceipt; }
    bool observingLaunch() const { return m_state.observingLaunch; }
    const QString& status() const { return m_state.status; }
    const std::optional<QString>& errorMessage() const { return m_state.errorMessage; }
    bool busy() const { return m_state.busy; }
    const UpdateCheckState& updateCheckState() const { return m_state.updateCheckState; }
    bool initialInspectionCompleted() const { return m_state.initialInspectionCompleted; }
    bool primaryActionInFlight() const { return m_state.primaryActionInFlight; }
    const std::optional<QUuid>& activeProviderOperationID() const { return m_state.activeProviderOperationID; }
    const std::vector<QUuid>& terminalProviderOperationIDs() const { return m_state.terminalProviderOperationIDs; }

    // --- Guidance: derived from the state on every read, never stored ---
    PackDescriptor selectedPack() const { return modelGuidance::selectedPack(m_state); }
    LaunchMode selectedLaunchMode() const { return modelGuidance::selectedLaunchMode(m_state); }
    bool selectedPackReady() const { return modelGuidance::selectedPackReady(m_state); }
    bool canChangeFiles() const { return modelGuidance::canChangeFiles(m_state); }
    bool launcherJavaReady() const { return modelGuidance::launcherJavaReady(m_state, m_seams.launcherJavaReady); }
    std::optional<QString> primaryActionBlockedReason() const { return modelGuidance::primaryActionBlockedReason(m_state); }
    std::optional<HandoffSetupKind> requiredSetupStep() const { return modelGuidance::requiredSetupStep(m_state); }
    bool balancedApplied() const { return modelGuidance::balancedApplied(m_state); }
    PrimaryActionDisplayState primaryActionDisplayState() const { return modelGuidance::primaryActionDisplayState(m_state); }
    QString primaryActionTitle() const { return modelGuidance::primaryActionTitle(m_state); }
    QString primaryActionDetail() const { return modelGuidance::primaryActionDetail(m_state); }
    bool primaryActionEnabled() const { return modelGuidance::primaryActionEnabled(m_state); }
    std::optional<QString> lastCheckLine() const { return modelGuidance::lastCheckLine(m_state); }
    bool lastCheckIsProblem() const { return modelGuidance::lastCheckIsProblem(m_state); }
    QString worldRestorePrompt() const { return modelGuidance::worldRestorePrompt(m_state); }
    AppStatusLevel statusLevel() const { return modelGuidance::statusLevel(m_state, m_seams.launcherJavaReady); }

    // --- Operations ---

    // Fetches the release record once and publishes the outcome in updateCheckState; nothing else
    // changes. Returns at once while a check is in flight. Never throws.
    QCoro::Task<> checkForUpdates();

Q_SIGNALS:
    void availablePacksChanged();
    void selectedPackIDChanged();
    void capabilityChanged();
    void inspectionChanged();
    void backupChanged();
    void applyResultChanged();
    void restoreResultChanged();
    void providerLaunchResultChanged();
    void launchChanged();
    void liveLaunchEventStatusChanged();
    void providerOperationActiveChanged();
    void cancellationRequestedChanged();
    void launchWasCancelledChanged();
    void diagnosticPreviewChanged();
    void diagnosticURLChanged();
    void labInstancePathChanged();
    void savesBackupChanged();
    void handoffReadinessChanged();
    void persistedLaunchReceiptChanged();
    void observingLaunchChanged();
    void statusChanged();
    void errorMessageChanged();
    void busyChanged();
    void updateCheckStateChanged();
    void initialInspectionCompletedChanged();
    void primaryActionInFlightChanged();
    void activeProviderOperationIDChanged();
    void terminalProviderOperationIDsChanged();
    // Once after one or more properties changed.
    void changed();

private:
    friend struct AppModelTestAccess; // tests reach the setters and the session path as operations do

    // --- Setters: the operations are their only callers ---
    void setAvailablePacks(const std::vector<PackDescriptor>& value);
    void setSelectedPackID(const PackID& value);
    void setCapability(const std::optional<CapabilityReport>& value);
    void setInspection(const std::optional<InstallInspection>& value);
    void setBackup(const std::optional<BackupManifest>& value);
    void setApplyResult(const std::optional<ApplyResult>& value);
    void setRestoreResult(const std::optional<RestoreResult>& value);
    void setProviderLaunchResult(const std::optional<LaunchResult>& value);
    void setLaunch(const std::optional<LaunchObservation>& value);
    void setLiveLaunchEventStatus(const std::optional<QString>& value);
    void setProviderOperationActive(bool value);
    void setCancellationRequested(bool value);
    void setLaunchWasCancelled(bool value);
    void setDiagnosticPreview(const std::optional<QString>& value);
    void setDiagnosticURL(const std::optional<std::filesystem::path>& value);
    void setLabInstancePath(const std::optional<QString>& value);
    void setSavesBackup(const std::optional<BackupManifest>& value);
    void setHandoffReadiness(const std::optional<HandoffReadinessReport>& value);
    void setPersistedLaunchReceipt(const std::optional<LaunchReceipt>& value);
    void setObservingLaunch(bool value);
    void setStatus(const QString& value);
    void setErrorMessage(const std::optional<QString>& value);
    void setBusy(bool value);
    void setUpdateCheckState(const UpdateCheckState& value);
    void setInitialInspectionCompleted(bool value);
    void setPrimaryActionInFlight(bool value);
    void setActiveProviderOperationID(const std::optional<QUuid>& value);
    void setTerminalProviderOperationIDs(const std::vector<QUuid>& value);

    // Thrown by a session call whose model was destroyed while the call ran. It carries the operation
    // out without touching the model: every catch-all of an operation lets it through first
    // (`catch (const ModelGone&) { throw; }`, or `co_return` where the operation started, as in runOperation).
    struct ModelGone final {};

    // Runs `work(session)` on the pool; resumes on the GUI thread with its result or its exception, or
    // with ModelGone when the model went meanwhile (its destructor waits for the pool, and the answer
    // then still arrives from the event loop). Every co_await of the session goes through here, so
    // this is the one liveness check an operation needs after awaiting.
    // Name a capturing closure before co_awaiting this with it, as PoolRunner::run says.
    template <typename Work>
    auto onSession(Work work) -> QCoro::Task<std::invoke_result_t<Work&, SessionPort&>>
    {
        using Result = std::invoke_result_t<Work&, SessionPort&>;
        const QPointer<AppModel> alive(this);
        auto call = m_runner.run([session = m_session, work = std::move(work)]() mutable { return work(*session); });
        std::exception_ptr failure;
        [[maybe_unused]] std::conditional_t<std::is_void_v<Result>, bool, std::optional<Result>> result{};
        try {
            if constexpr (std::is_void_v<Result>)
                co_await call;
            else
                result.emplace(co_await call);
        } catch (...) {
            failure = std::current_exception();
        }
        if (!alive)
            throw ModelGone();
        if (failure)
            std::rethrow_exception(failure);
        if constexpr (!std::is_void_v<Result>)
            co_return std::move(*result);
    }

    // The frame of the operations that are busy until they end: busy on and the error line cleared, then
    // `body`, then busy off. A failure of `body` goes to showError; ModelGone ends the frame without
    // touching the model. `body` is called inside the frame, since a task runs as soon as it is called.
    // Its coroutine reads the closure's captures from this frame after the operation has returned, so
    // capture `this` and values only; return this task, or name it before co_awaiting it (PoolRunner::run).
    QCoro::Task<> runOperation(std::function<QCoro::Task<>()> body);
    // The error line and the status for a failed operation: the error's own sentence.
    void showError(const std::exception_ptr& error);
    // The sentence for an error caught by a catch-all: describe() for our errors and the platform's,
    // a fixed sentence for anything else.
    static QString describeError(const std::exception_ptr& error);

    // --- Steps shared by the operations ---
    QCoro::Task<> applyRememberedInstance();
    QCoro::Task<QString> initialInspectionStatus(const InstallInspection& inspection);
    // The certified inspection and the latest backups, with `foundStatus` on success; on failure the
    // read-only fallback inspection, a readiness refresh, and the certification error rethrown.
    QCoro::Task<> inspectCertifiedInstance(QString foundStatus);
    // The read-only inspection, or none when it fails too.
    QCoro::Task<> fallbackInspection();
    QCoro::Task<> applyBalancedOverlay();
    QCoro::Task<> prepareHandoff();
    // The launch of the selected pack and its live events.
    QCoro::Task<LaunchResult> observeLaunch();
    void handleLaunchEvent(const LaunchEvent& event);
    void markProviderOperationTerminal(const QUuid& id);
    void finishProviderLaunch(const LaunchResult& result);
    void finishCancelledLaunch();
    // How a launch that threw ends (its caller lets ModelGone through first): cancelled, or with its
    // error shown.
    void endFailedLaunch(const std::exception_ptr& error);
    // Forgets the last launch's result, its events and whether it was cancelled.
    void clearLaunchResults();
    // Forgets the results of the last apply, restore and launch.
    void clearOperationResults();
    QCoro::Task<> reloadLaunchReceipt();

    template <typename T>
    void assign(T AppModelState::*field, const T& value, void (AppModel::*signal)())
    {
        if (m_state.*field == value)
            return;
        m_state.*field = value;
        Q_EMIT(this->*signal)();
        scheduleChanged();
    }
    void scheduleChanged();

    AppModelState m_state;
    AppSeams m_seams;
    const QUrl m_latestReleaseURL;
    std::shared_ptr<SessionPort> m_session;
    // Declared after the session so that it is destroyed first: its destructor waits for the pool.
    PoolRunner m_runner;
    bool m_changedPending = false;
};

} // namespace orvane
