// The primary action: check the install, apply Balanced when it is not applied yet, open Technic and watch.
#include "model/AppModel.h"

#include "model/PrimaryActionGate.h"
#include "platform/FileOperations.h"
#include "technic/LauncherJavaReadiness.h"

namespace orvane {

QCoro::Task<> AppModel::performPrimaryAction()
{
    if (m_state.primaryActionInFlight)
        co_return;
    setPrimaryActionInFlight(true);
    setBusy(true);
    setErrorMessage(std::nullopt);
    clearLaunchResults();

    try {
        const PackDescriptor pack = selectedPack();
        if (pack.launchMode == LaunchMode::direct) {
            setStatus(QStringLiteral("Preparing ") + pack.name + QStringLiteral("…"));
            setObservingLaunch(true);
            setBusy(false);
        } else {
            co_await prepareHandoff();
            setStatus(QStringLiteral("Opening official Technic…"));
            setObservingLaunch(true);
            setStatus(QStringLiteral("Watching Technic startup. Select Tekkit 2 and press Play there. Orvane never "
                                     "clicks Play."));
        }
        finishProviderLaunch(co_await observeLaunch());
    } catch (const ModelGone&) {
        co_return;
    } catch (...) {
        endFailedLaunch(std::current_exception());
    }

    setObservingLaunch(false);
    setBusy(false);
    setPrimaryActionInFlight(false);
}

QCoro::Task<> AppModel::prepareHandoff()
{
    setStatus(QStringLiteral("Checking Technic and Tekkit 2…"));
    setCapability(co_await onSession([](SessionPort& s) { return s.refreshCapability(); }));
    if (!co_await onSession([](SessionPort& s) { return s.lastInspection(); }))
        co_await onSession([](SessionPort& s) { s.discoverAndInspect(); });

    std::exception_ptr certificationError;
    try {
        setInspection(co_await onSession([](SessionPort& s) { return s.inspectCertified(); }));
    } catch (const ModelGone&) {
        throw;
    } catch (...) {
        certificationError = std::current_exception();
    }
    if (certificationError) {
        co_await fallbackInspection();
        std::rethrow_exception(certificationError);
    }

    co_await refreshReadiness();
    const AppEnvironment environment = m_seams.environment;
    auto request = onSession([environment](SessionPort& s) { return s.handoffReadiness(environment.environment); });
    HandoffReadinessReport report = co_await request;
    setHandoffReadiness(report);

    const PrimaryActionStep step = primaryActionGate(
        m_state.inspection, report,
        [&environment] {
            return LauncherJavaReadiness::check(environment.environment, environment.jvmRoot,
                                                environment.hostArchitecture, *FileOperations::system())
                .issue;
        },
        environment.hostArchitecture);
    if (step == PrimaryActionStep::applyThenOpen) {
        setStatus(QStringLiteral("Backing up and applying Balanced…"));
        co_await applyBalancedOverlay();
        co_await refreshReadiness();
    }
}

} // namespace orvane
