// The settings backup and restore, and Apply Balanced and Open Technic on their own.
#include "model/AppModel.h"

namespace orvane {

QCoro::Task<> AppModel::backUpSettings()
{
    return runOperation([this]() -> QCoro::Task<> {
        if (!co_await onSession([](SessionPort& s) { return s.lastInspection(); }))
            co_await onSession([](SessionPort& s) { s.discoverAndInspect(); });
        BackupManifest manifest = co_await onSession([](SessionPort& s) { return s.createManualSnapshot(); });
        const QString id = manifest.id;
        setBackup(std::move(manifest));
        setStatus(QStringLiteral("Backup ") + id + QStringLiteral(" verified."));
        co_await refreshReadiness();
    });
}

QCoro::Task<> AppModel::restoreSettings()
{
    return runOperation([this]() -> QCoro::Task<> {
        RestoreResult result = co_await onSession([](SessionPort& s) { return s.restoreOverlay(); });
        const QString status = result.message.value_or(QStringLiteral("Original files restored."));
        setRestoreResult(std::move(result));
        setInspection(co_await onSession([](SessionPort& s) { return s.lastInspection(); }));
        setApplyResult(std::nullopt);
        setStatus(status);
        co_await refreshReadiness();
    });
}

QCoro::Task<> AppModel::applyBalanced()
{
    return runOperation([this]() -> QCoro::Task<> {
        co_await onSession([](SessionPort& s) { s.refreshCapability(); });
        if (!co_await onSession([](SessionPort& s) { return s.lastInspection(); }))
            co_await onSession([](SessionPort& s) { s.discoverAndInspect(); });
        co_await applyBalancedOverlay();
        setStatus(QStringLiteral("Balanced applied. Open Technic and press Play. Restore anytime."));
        co_await refreshReadiness();
    });
}

QCoro::Task<> AppModel::applyBalancedOverlay()
{
    setApplyResult(co_await onSession([](SessionPort& s) { return s.applyBalanced(); }));
    setBackup(co_await onSession([](SessionPort& s) { return s.lastBackup(); }));
    setInspection(co_await onSession([](SessionPort& s) { return s.lastInspection(); }));
    // The overlay just written supersedes the last restore and launch.
    setRestoreResult(std::nullopt);
    clearLaunchResults();
}

QCoro::Task<> AppModel::openTechnic()
{
    setErrorMessage(std::nullopt);
    setBusy(true);
    setStatus(QStringLiteral("Opening Technic…"));
    try {
        if (!co_await onSession([](SessionPort& s) { return s.lastInspection(); }))
            co_await onSession([](SessionPort& s) { s.inspect(); });
        setObservingLaunch(true);
        setBusy(false);
        setStatus(QStringLiteral("Watching Technic startup (up to 3 minutes). Press Play in Technic. Quit "
                                 "Technic before Restore or Apply."));
        finishProviderLaunch(co_await observeLaunch());
    } catch (const ModelGone&) {
        co_return;
    } catch (...) {
        endFailedLaunch(std::current_exception());
    }
    setBusy(false);
    setObservingLaunch(false);
}

} // namespace orvane
