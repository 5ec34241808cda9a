#include "model/PrimaryActionGate.h"

#include "model/OrvaneError.h"
#include "technic/LauncherJavaReadiness.h"

namespace orvane {

namespace {

// The first required action of the report, or `fallback` when it lists none.
QString firstRequiredAction(const HandoffReadinessReport& report, const QString& fallback)
{
    return report.requiredActions.empty() ? fallback : report.requiredActions.front();
}

} // namespace

QString launcherJavaRefusal(const std::optional<QString>& issue, const QString& hostArchitecture)
{
    if (issue)
        return *issue;
    if (LauncherJavaReadiness::requiredArchitecture(hostArchitecture) == QLatin1String("arm64"))
        return QStringLiteral("Arm64 Java 8 is required to open Technic.");
    return QStringLiteral("Java 8 is required to open Technic.");
}

PrimaryActionStep primaryActionGate(const std::optional<InstallInspection>& inspection,
                                    const HandoffReadinessReport& report,
                                    const LauncherJavaIssue& launcherJavaIssue, const QString& hostArchitecture)
{
    if (!inspection || !inspection->technicApp)
        throw OrvaneError::technicAppMissing();

    switch (report.setupKind) {
    case HandoffSetupKind::installLauncherJava:
        throw OrvaneError::launchObservationFailed(launcherJavaRefusal(launcherJavaIssue(), hostArchitecture));
    case HandoffSetupKind::installRosetta:
        throw OrvaneError::overlayRefused(
            QStringLiteral("Rosetta 2 is required before Tekkit 2 can load its Intel-only game components."));
    case HandoffSetupKind::installTechnic:
    case HandoffSetupKind::installTekkit:
    case HandoffSetupKind::selectCertifiedPack:
    case HandoffSetupKind::chooseArchiveExplicitly:
    case HandoffSetupKind::quitRunning:
        throw OrvaneError::overlayRefused(firstRequiredAction(report, guidance(report.setupKind)));
    case HandoffSetupKind::applyBalanced:
    case HandoffSetupKind::ready:
        break;
    }

    if (report.balancedApplied)
        return PrimaryActionStep::open;
    if (!report.canApplyBalanced)
        throw OrvaneError::overlayRefused(firstRequiredAction(
            report, QStringLiteral("Orvane cannot apply Balanced until Technic and Minecraft are quit.")));
    return PrimaryActionStep::applyThenOpen;
}

} // namespace orvane
