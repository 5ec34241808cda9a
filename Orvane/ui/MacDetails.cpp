#include "ui/MacDetails.h"

namespace orvane::MacDetails {

DetailRowTexts rows(const std::optional<CapabilityReport>& capability, bool launcherJavaReady)
{
    return {
        {QStringLiteral("Chip"), capability ? capability->chipBrand : QStringLiteral("Checking…")},
        {QStringLiteral("Architecture"), capability ? capability->architecture : QStringLiteral("—")},
        {QStringLiteral("Rosetta"),
         capability && capability->rosettaInstalled ? QStringLiteral("Ready") : QStringLiteral("Required")},
        {QStringLiteral("Launcher Java"),
         launcherJavaReady ? QStringLiteral("Ready for this launcher") : QStringLiteral("Arm64 Java 8 required")},
    };
}

} // namespace orvane::MacDetails
