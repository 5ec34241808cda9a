#include "session/CompanionSession.h"

#include "json/EnumNames.h"
#include "model/NumberText.h"
#include "platform/PathText.h"
#include "records/SupportBundleWriter.h"
#include "session/DiagnosticIdentities.h"

#include <QStringList>

namespace orvane {

namespace {

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString mojangJavaText(const std::optional<InstallInspection>& inspection)
{
    if (!inspection || !inspection->useMojangJava)
        return QStringLiteral("unknown");
    return *inspection->useMojangJava ? QStringLiteral("on") : QStringLiteral("off");
}

// The eleven lines of the report, before redaction.
QString reportText(const CapabilityReport& capability, const std::optional<InstallInspection>& inspection,
                   const std::optional<BackupManifest>& backup, const QString& lastLaunchText)
{
    const auto inspected = [&inspection](std::optional<QString> InstallInspection::*field) {
        const std::optional<QString> value = inspection ? (*inspection).*field : std::nullopt;
        return value.value_or(QStringLiteral("unknown"));
    };
    const auto flag = [&inspection](bool InstallInspection::*field) {
        return boolText(inspection && (*inspection).*field);
    };
    return QStringList{
        QStringLiteral("Orvane diagnostic"),
        QStringLiteral("Chip: ") + capability.chipBrand,
        QStringLiteral("Model: ") + capability.hardwareModel,
        QStringLiteral("Arch: ") + capability.architecture + QStringLiteral(" translated=")
            + boolText(capability.currentProcessTranslated),
        QStringLiteral("Memory: ") + fixedDecimalText(capability.physicalMemoryGigabytes, 1) + QStringLiteral(" GB"),
        QStringLiteral("Display: ") + QString::number(capability.displayWidth) + QLatin1Char('x')
            + QString::number(capability.displayHeight) + QStringLiteral(" scale ")
            + shortestDecimalText(capability.backingScale),
        QStringLiteral("Pack: ") + inspected(&InstallInspection::packVersion) + QStringLiteral(" Forge: ")
            + inspected(&InstallInspection::forgeId),
        QStringLiteral("Nothirium: ") + flag(&InstallInspection::hasNothirium) + QStringLiteral(" VintageFix: ")
            + flag(&InstallInspection::hasVintageFix) + QStringLiteral(" OptiFine: ")
            + flag(&InstallInspection::hasOptiFine),
        QStringLiteral("Rosetta: ") + boolText(capability.rosettaInstalled) + QStringLiteral(" Mojang Java: ")
            + mojangJavaText(inspection),
        QStringLiteral("Last backup: ") + (backup ? backup->id : QStringLiteral("none")),
        QStringLiteral("Last launch: ") + lastLaunchText,
    }
        .join(QLatin1Char('\n'));
}

} // namespace

QString CompanionSession::launchResultSummary(const LaunchResultDiagnostic& diagnostic)
{
    return diagnostic.packID.rawValue() + QStringLiteral(" provider=") + diagnostic.providerID.rawValue()
        + QStringLiteral(" mode=") + enumName(diagnostic.mode) + QStringLiteral(" state=")
        + enumName(diagnostic.state) + QStringLiteral(" message=") + diagnostic.message;
}

CompanionSession::WrittenDiagnostics CompanionSession::writeDiagnostics()
{
    Locked locked(m_mutex);
    // What is gathered here stays stored even when the bundle cannot be written.
    const CapabilityReport capability = currentCapability(locked);

    std::optional<InstallInspection> inspection = m_lastInspection;
    // A direct launch did not use the install, so there is nothing to look at for it.
    if (!inspection && !(m_lastLaunchResult && m_lastLaunchResult->mode == LaunchMode::direct)) {
        try {
            inspection = inspect(locked);
        } catch (const std::exception&) {
            // The report says "unknown" for what could not be inspected.
        }
    }

    std::optional<BackupManifest> backup = m_lastBackup;
    if (!backup && inspection && inspection->instanceRoot) {
        backup = latestOverlayBackup(*inspection->instanceRoot);
        if (backup)
            m_lastBackup = backup;
    }

    const QString home = pathText(m_locator.home());
    std::optional<LaunchResultDiagnostic> resultDiagnostic;
    QString lastLaunchText = QStringLiteral("none");
    if (m_lastLaunchResult) {
        resultDiagnostic = LaunchResultDiagnostic::fromResult(*m_lastLaunchResult, home);
        lastLaunchText = launchResultSummary(*resultDiagnostic);
    } else if (m_lastLaunch) {
        lastLaunchText = enumName(m_lastLaunch->outcome);
    }

    // Whom the bundle must not name, from what the session reads anyway; the report, the log and the
    // whole file are redacted with it.
    const Redaction redact = redactionFor(
        home, gatherDiagnosticIdentities(
                  DiagnosticIdentitySources{
                      m_locator.home(),
                      m_inspector.environment(),
                      m_hostName ? m_hostName() : QString(),
                      inspection ? inspection->instanceRoot : std::nullopt,
                      inspection ? inspection->technicRoot : std::nullopt,
                  },
                  *m_files));
    const DiagnosticSummary summary{
        .createdAt = now(),
        .capability = capability,
        .inspection = inspection,
        .lastBackupId = backup ? std::optional(backup->id) : std::nullopt,
        .lastLaunch = m_lastLaunch,
        .lastLaunchResult = resultDiagnostic,
        .redactedLog = redact(m_lastLaunch ? m_lastLaunch->logExcerpt : QString()),
        .preview = redact(reportText(capability, inspection, backup, lastLaunchText)),
    };
    const std::filesystem::path url = SupportBundleWriter(m_paths.diagnostics, redact, m_files).write(summary);
    return WrittenDiagnostics{summary, url};
}

} // namespace orvane
