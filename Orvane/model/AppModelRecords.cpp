// The diagnostic report and the world-save backup and restore.
#include "model/AppModel.h"

namespace orvane {

QCoro::Task<> AppModel::writeDiagnostic()
{
    return runOperation([this]() -> QCoro::Task<> {
        co_await onSession([](SessionPort& s) { s.refreshCapability(); });
        setCapability(co_await onSession([](SessionPort& s) { return s.lastCapability(); }));
        if (!co_await onSession([](SessionPort& s) { return s.lastInspection(); })) {
            try {
                co_await onSession([](SessionPort& s) { s.inspect(); });
            } catch (const ModelGone&) {
                throw;
            } catch (...) {
                // The report is then written without an inspection.
            }
        }
        SessionPort::WrittenDiagnostics written = co_await onSession([](SessionPort& s) { return s.writeDiagnostics(); });
        setDiagnosticPreview(written.summary.preview);
        setDiagnosticURL(written.url);
        setInspection(std::move(written.summary.inspection));
        setStatus(QStringLiteral("Diagnostic written. Preview is redacted."));
        co_await refreshReadiness();
    });
}

QCoro::Task<> AppModel::backUpWorlds()
{
    return runOperation([this]() -> QCoro::Task<> {
        if (!co_await onSession([](SessionPort& s) { return s.lastInspection(); }))
            co_await onSession([](SessionPort& s) { s.discoverAndInspect(); });
        WorldBackupResult backup = co_await onSession([](SessionPort& s) { return s.backUpWorlds(); });
        const QString id = backup.manifest.id;
        setSavesBackup(std::move(backup.manifest));
        const QString first =
            backup.interruptedRestoreNotice ? *backup.interruptedRestoreNotice + QLatin1Char(' ') : QString();
        setStatus(first + QStringLiteral("World backup ") + id
                  + QStringLiteral(" verified. Overlay restore will not revert worlds."));
        co_await refreshReadiness();
    });
}

QCoro::Task<> AppModel::restoreWorlds()
{
    return runOperation([this]() -> QCoro::Task<> {
        RestoreResult result = co_await onSession([](SessionPort& s) { return s.restoreWorlds(); });
        const QString status = result.message.value_or(QStringLiteral(
            "Backed-up world files restored. Files added later and overlay files were not changed."));
        setRestoreResult(std::move(result));
        setStatus(status);
        co_await refreshReadiness();
    });
}

} // namespace orvane
