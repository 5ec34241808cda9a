#include "model/OrvaneError.h"

#include "model/TechnicSite.h"
#include "platform/PathText.h"

namespace orvane {

OrvaneError::OrvaneError(Kind kind, std::filesystem::path folder, QString first, QString second)
    : DescribedError(sentence(kind, folder, first, second))
    , m_kind(kind)
    , m_folder(std::move(folder))
    , m_first(std::move(first))
    , m_second(std::move(second))
{
}

OrvaneError OrvaneError::technicDataMissing(const std::filesystem::path& folder) { return {Kind::technicDataMissing, folder, {}, {}}; }
OrvaneError OrvaneError::unsupportedPackVersion(const QString& found, const QString& expected) { return {Kind::unsupportedPackVersion, {}, found, expected}; }
OrvaneError OrvaneError::unsupportedForge(const QString& found, const QString& expected) { return {Kind::unsupportedForge, {}, found, expected}; }
OrvaneError OrvaneError::backupCorrupt(const QString& text) { return {Kind::backupCorrupt, {}, text, {}}; }
OrvaneError OrvaneError::restoreHashMismatch(const QString& path) { return {Kind::restoreHashMismatch, {}, path, {}}; }
OrvaneError OrvaneError::applyFailedRollbackFailed(const QString& apply, const QString& rollback) { return {Kind::applyFailedRollbackFailed, {}, apply, rollback}; }
OrvaneError OrvaneError::policyDenied(const QString& text) { return {Kind::policyDenied, {}, text, {}}; }
OrvaneError OrvaneError::overlayRefused(const QString& text) { return {Kind::overlayRefused, {}, text, {}}; }
OrvaneError OrvaneError::io(const QString& text) { return {Kind::io, {}, text, {}}; }
OrvaneError OrvaneError::invalidProfile(const QString& text) { return {Kind::invalidProfile, {}, text, {}}; }
OrvaneError OrvaneError::launchObservationFailed(const QString& text) { return {Kind::launchObservationFailed, {}, text, {}}; }
OrvaneError OrvaneError::technicAppMissing() { return {Kind::technicAppMissing, {}, {}, {}}; }
OrvaneError OrvaneError::tekkitMissing() { return {Kind::tekkitMissing, {}, {}, {}}; }
OrvaneError OrvaneError::minecraftRunning() { return {Kind::minecraftRunning, {}, {}, {}}; }
OrvaneError OrvaneError::technicRunning() { return {Kind::technicRunning, {}, {}, {}}; }
OrvaneError OrvaneError::backupMissing() { return {Kind::backupMissing, {}, {}, {}}; }

QString OrvaneError::sentence(Kind kind, const std::filesystem::path& folder, const QString& first,
                              const QString& second)
{
    switch (kind) {
    case Kind::technicDataMissing:
        return QStringLiteral("Technic data folder is missing at %1.").arg(pathText(standardised(folder)));
    case Kind::unsupportedPackVersion:
        return QStringLiteral("This instance is Tekkit %1. Orvane\u2019s certified profile is %2.").arg(first, second);
    case Kind::unsupportedForge:
        return QStringLiteral("This instance uses Forge %1. Orvane\u2019s certified profile is %2.").arg(first, second);
    case Kind::backupCorrupt:
        return QStringLiteral("The backup failed verification: ") + first;
    case Kind::restoreHashMismatch:
        return QStringLiteral("Restore produced a hash mismatch at %1.").arg(first);
    case Kind::applyFailedRollbackFailed:
        return QStringLiteral("Apply Balanced failed (%1) and rolling back the overlay also failed (%2). "
                              "Quit Technic and Restore, or restore the latest pre-overlay backup by hand.")
            .arg(first, second);
    case Kind::policyDenied:
        return QStringLiteral("Content policy refused this profile: ") + first;
    case Kind::overlayRefused:
        return QStringLiteral("Orvane refused to apply the overlay: ") + first;
    case Kind::io:
    case Kind::launchObservationFailed:
        return first;
    case Kind::invalidProfile:
        return QStringLiteral("Invalid profile: ") + first;
    case Kind::technicAppMissing:
        return QStringLiteral("Orvane could not find the official Technic Launcher. Install it from %1, then open it once.")
            .arg(QLatin1String(technicSiteDomain));
    case Kind::tekkitMissing:
        return QStringLiteral("Tekkit 2 1.2.6 is not installed in Technic. Install the official pack from the "
                              "Technic Platform, then return to Orvane.");
    case Kind::minecraftRunning:
        return QStringLiteral("Minecraft is still running. Quit the game before Orvane changes files.");
    case Kind::technicRunning:
        return QStringLiteral("Technic is still running. Quit Technic before Orvane changes files.");
    case Kind::backupMissing:
        return QStringLiteral("No Orvane backup exists for this instance.");
    }
    return {};
}

} // namespace orvane
