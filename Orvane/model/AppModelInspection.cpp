// Initial inspection, readiness refresh and the remembered instance folder.
#include "model/AppModel.h"

#include "model/CertifiedPack.h"
#include "platform/PathText.h"

#include <QPointer>

#include <filesystem>
#include <system_error>

namespace orvane {

namespace {

bool hasArchiveCopyWarning(const InstallInspection& inspection)
{
    for (const QString& warning : inspection.warnings)
        if (warning.contains(QStringLiteral("archive copy")))
            return true;
    return false;
}

} // namespace

QCoro::Task<> AppModel::performInitialInspection()
{
    const QPointer<AppModel> alive(this);
    auto operation = runOperation([this]() -> QCoro::Task<> {
        setAvailablePacks(co_await onSession([](SessionPort& s) { return s.availablePacks(); }));
        setSelectedPackID(co_await onSession([](SessionPort& s) { return s.selectedPackID(); }));
        setCapability(co_await onSession([](SessionPort& s) { return s.refreshCapability(); }));

        co_await applyRememberedInstance();

        std::optional<InstallInspection> discovered;
        try {
            discovered = co_await onSession([](SessionPort& s) { return s.discoverAndInspect(); });
        } catch (const std::exception&) {
            // Nothing found is guidance, not an error: the fallback below says what to do.
        }

        if (discovered) {
            setInspection(discovered);
            SessionPort::LatestBackups latest = co_await onSession([](SessionPort& s) { return s.latestBackups(); });
            setBackup(std::move(latest.overlay));
            setSavesBackup(std::move(latest.world));
            if (discovered->instanceRoot)
                setLabInstancePath(pathText(*discovered->instanceRoot));
            setStatus(co_await initialInspectionStatus(*discovered));
            setPersistedLaunchReceipt(co_await onSession([](SessionPort& s) { return s.loadLatestLaunchReceipt(); }));
            co_await refreshReadiness();
        } else {
            std::optional<InstallInspection> fallback;
            try {
                fallback = co_await onSession([](SessionPort& s) { return s.inspect(); });
            } catch (const std::exception&) {
            }
            setInspection(fallback);
            setPersistedLaunchReceipt(co_await onSession([](SessionPort& s) { return s.loadLatestLaunchReceipt(); }));
            co_await refreshReadiness();
            setStatus(!fallback || !fallback->technicApp
                          ? QStringLiteral("Install official Technic, then install Tekkit 2 1.2.6 there. You can "
                                           "also choose an existing instance folder.")
                          : QStringLiteral("Choose the installed Tekkit 2 1.2.6 instance folder, or install it "
                                           "in official Technic."));
        }
    });
    co_await operation;
    // Marked after busy ends, and only while the model lives: once it is gone, nothing may touch it.
    if (alive)
        setInitialInspectionCompleted(true);
}

QCoro::Task<> AppModel::applyRememberedInstance()
{
    const std::optional<QString> remembered = m_seams.settings->text(labDefaultsKey());
    // An empty value is left in place: it names nothing, and nothing need be forgotten.
    if (!remembered || remembered->isEmpty())
        co_return;
    const std::filesystem::path folder = pathFromText(*remembered);
    std::error_code error;
    // A relative path names no folder the user chose; forget it like a folder that is gone.
    if (!folder.is_absolute() || !std::filesystem::exists(folder, error)) {
        m_seams.settings->remove(labDefaultsKey());
        co_return;
    }
    auto handOver = onSession([folder](SessionPort& s) { s.setLabInstance(folder); });
    co_await handOver;
    setLabInstancePath(*remembered);
}

QCoro::Task<QString> AppModel::initialInspectionStatus(const InstallInspection& inspection)
{
    if (!inspection.instanceRoot)
        co_return QStringLiteral("Technic is not installed, or Tekkit 2 ") + CertifiedPack::version
            + QStringLiteral(" was not found. Choose a folder, or install Technic from the official site and "
                             "install the pack there.");
    if (hasArchiveCopyWarning(inspection)
        && !co_await onSession([](SessionPort& s) { return s.instanceChosenExplicitly(); }))
        co_return QStringLiteral("Found an archive copy. Inspect is read-only until you choose that folder or "
                                 "install Tekkit 2 in official Technic.");
    if (inspection.isCertifiedPack)
        co_return QStringLiteral("Certified Tekkit 2 ") + CertifiedPack::version
            + QStringLiteral(" found. Nothing was changed.");
    co_return QStringLiteral("A folder was found, but it is not the certified Tekkit 2 ") + CertifiedPack::version
        + QStringLiteral(" profile.");
}

QCoro::Task<> AppModel::refreshReadiness()
{
    try {
        const ProcessEnvironment environment = m_seams.environment.environment;
        auto request = onSession([environment](SessionPort& s) { return s.handoffReadiness(environment); });
        HandoffReadinessReport report = co_await request;
        setHandoffReadiness(std::move(report));
        if (auto capability = co_await onSession([](SessionPort& s) { return s.lastCapability(); }))
            setCapability(std::move(capability));
        if (auto inspection = co_await onSession([](SessionPort& s) { return s.lastInspection(); }))
            setInspection(std::move(inspection));
    } catch (const ModelGone&) {
        throw;
    } catch (...) {
        // A readiness report that cannot be made leaves the last one in place; the next refresh tries again.
    }
}

} // namespace orvane
