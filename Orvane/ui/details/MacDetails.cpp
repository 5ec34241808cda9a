#include "ui/details/MacDetails.h"

#include "technic/LauncherJavaReadiness.h"

namespace orvane::MacDetails {

namespace {

QString launcherJavaRow(bool ready, const QString& hostArchitecture)
{
    if (ready)
        return QStringLiteral("Ready for this launcher");
    if (LauncherJavaReadiness::requiredArchitecture(hostArchitecture) == QLatin1String("arm64"))
        return QStringLiteral("Arm64 Java 8 required");
    return QStringLiteral("Java 8 required");
}

} // namespace

DetailRowTexts rows(const std::optional<CapabilityReport>& capability, bool launcherJavaReady,
                    const QString& hostArchitecture)
{
    return {
        {QStringLiteral("Chip"), capability ? capability->chipBrand : QStringLiteral("Checking…")},
        {QStringLiteral("Architecture"), capability ? capability->architecture : QStringLiteral("—")},
        {QStringLiteral("Rosetta"),
         capability && capability->rosettaInstalled ? QStringLiteral("Ready") : QStringLiteral("Required")},
        {QStringLiteral("Launcher Java"), launcherJavaRow(launcherJavaReady, hostArchitecture)},
    };
}

} // namespace orvane::MacDetails
