#include "ui/SetupChecklist.h"

#include "technic/OfficialLinks.h"

namespace orvane::SetupChecklist {

QString technicDownloadAddress()
{
    return OfficialLinks::download().toString();
}

QString tekkitModpackAddress()
{
    return OfficialLinks::modpackPage().toString();
}

QString rosettaHelpAddress()
{
    return QStringLiteral("https://support.apple.com/en-us/102527");
}

QString launcherJavaDownloadAddress()
{
    return QStringLiteral(
        "https://www.azul.com/downloads/?version=java-8-lts&os=macos&architecture=arm-64-bit&package=jdk");
}

std::vector<Link> links(const std::optional<InstallInspection>& inspection,
                        const std::optional<CapabilityReport>& capability, bool launcherJavaReady)
{
    std::vector<Link> result;
    if (!inspection || !inspection->technicApp)
        result.push_back({QStringLiteral("Get official Technic"), technicDownloadAddress()});
    if (!inspection || !inspection->instanceRoot || !inspection->isCertifiedPack)
        result.push_back({QStringLiteral("Install Tekkit 2"), tekkitModpackAddress()});
    if (capability && !capability->rosettaInstalled)
        result.push_back({QStringLiteral("Rosetta 2 help"), rosettaHelpAddress()});
    if (!launcherJavaReady)
        result.push_back({QStringLiteral("Get arm64 Zulu 8"), launcherJavaDownloadAddress()});
    return result;
}

std::optional<QString> warningLine(const std::optional<HandoffReadinessReport>& readiness)
{
    if (!readiness)
        return std::nullopt;
    switch (readiness->setupKind) {
    case HandoffSetupKind::quitRunning:
    case HandoffSetupKind::chooseArchiveExplicitly:
        return readiness->guidance();
    default:
        return std::nullopt;
    }
}

} // namespace orvane::SetupChecklist
