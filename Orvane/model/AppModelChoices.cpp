// Choosing the instance folder and the pack, inspecting, and checking this computer.
#include "model/AppModel.h"

#include "model/CertifiedPack.h"
#include "model/NumberText.h"
#include "platform/PathText.h"

namespace orvane {

QCoro::Task<> AppModel::chooseInstanceFolder(std::filesystem::path folder)
{
    const QString path = pathText(folder);
    m_seams.settings->setText(labDefaultsKey(), path);
    setLabInstancePath(path);
    // The results of the previous folder say nothing about this one.
    clearOperationResults();
    try {
        auto handOver = onSession([folder](SessionPort& s) { s.setLabInstance(folder); });
        co_await handOver;
    } catch (const ModelGone&) {
        co_return;
    } catch (...) {
        showError(std::current_exception());
        co_return;
    }
    co_await inspect();
}

QCoro::Task<> AppModel::inspect()
{
    return runOperation([this]() -> QCoro::Task<> {
        co_await onSession([](SessionPort& s) { s.refreshCapability(); });
        setCapability(co_await onSession([](SessionPort& s) { return s.lastCapability(); }));
        co_await inspectCertifiedInstance(QStringLiteral("Certified Tekkit 2 ") + CertifiedPack::version
                                          + QStringLiteral(" found. Nothing was changed."));
    });
}

QCoro::Task<> AppModel::inspectCertifiedInstance(QString foundStatus)
{
    std::exception_ptr certificationError;
    try {
        InstallInspection inspection = co_await onSession([](SessionPort& s) { return s.inspectCertified(); });
        setInspection(std::move(inspection));
    } catch (const ModelGone&) {
        throw;
    } catch (...) {
        certificationError = std::current_exception();
    }

    if (!certificationError) {
        SessionPort::LatestBackups latest = co_await onSession([](SessionPort& s) { return s.latestBackups(); });
        setBackup(std::move(latest.overlay));
        setSavesBackup(std::move(latest.world));
        setStatus(foundStatus);
        co_await refreshReadiness();
        co_return;
    }

    // Show what the read-only inspection can still find, then why the instance is not the certified one.
    co_await fallbackInspection();
    co_await refreshReadiness();
    std::rethrow_exception(certificationError);
}

QCoro::Task<> AppModel::fallbackInspection()
{
    std::optional<InstallInspection> found;
    try {
        found = co_await onSession([](SessionPort& s) { return s.inspect(); });
    } catch (const ModelGone&) {
        throw;
    } catch (...) {
        // Its error adds nothing to the one the caller shows.
    }
    setInspection(std::move(found));
}

QCoro::Task<> AppModel::selectPack(PackID id)
{
    return runOperation([this, id]() -> QCoro::Task<> {
        auto selection = onSession([id](SessionPort& s) { return s.selectPack(id); });
        const PackDescriptor pack = co_await selection;
        setSelectedPackID(pack.id);
        // Everything below belonged to the previous pack.
        setInspection(std::nullopt);
        setBackup(std::nullopt);
        setSavesBackup(std::nullopt);
        clearOperationResults();
        setDiagnosticPreview(std::nullopt);
        setDiagnosticURL(std::nullopt);
        if (pack.launchMode == LaunchMode::direct) {
            setStatus(pack.name + QStringLiteral(" selected."));
            co_await refreshReadiness();
        } else {
            co_await inspectCertifiedInstance(QStringLiteral("Certified ") + pack.name + QLatin1Char(' ')
                                              + pack.version + QStringLiteral(" found. Nothing was changed."));
        }
    });
}

QCoro::Task<> AppModel::checkThisMac()
{
    return runOperation([this]() -> QCoro::Task<> {
        const CapabilityReport capability = co_await onSession([](SessionPort& s) { return s.refreshCapability(); });
        setCapability(capability);
        setStatus(QStringLiteral("Detected ") + capability.chipBrand + QStringLiteral(", ") + capability.architecture
                  + QStringLiteral(", ") + fixedDecimalText(capability.physicalMemoryGigabytes, 0)
                  + QStringLiteral(" GB."));
        co_await refreshReadiness();
    });
}

} // namespace orvane
