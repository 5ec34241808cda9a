#include "ui/details/SetupChecklist.h"

#include "technic/LauncherJavaReadiness.h"
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

QString launcherJavaDownloadAddress(const QString& hostArchitecture)
{
    if (LauncherJavaReadiness::requiredArchitecture(hostArchitecture) == QLatin1String("x86_64"))
        return QStringLiteral(
            "https://www.azul.com/downloads/?version=java-8-lts&os=linux&architecture=x86-64-bit&package=jdk");
    return QStringLiteral(
        "https://www.azul.com/downloads/?version=java-8-lts&os=linux&architecture=arm-64-bit&package=jdk");
}

Link launcherJavaLink(const QString& hostArchitecture)
{
    const bool arm64 = LauncherJavaReadiness::requiredArchitecture(hostArchitecture) == QLatin1String("arm64");
    return {arm64 ? QStringLiteral("Get arm64 Zulu 8") : QStringLiteral("Get Zulu 8"),
            launcherJavaDownloadAddress(hostArchitecture)};
}

std::vector<Link> links(const std::optional<InstallInspection>& inspection,
                        const std::optional<CapabilityReport>& capability, bool launcherJavaReady,
                        const QString& hostArchitecture)
{
    std::vector<Link> result;
    if (!inspection || !inspection->technicApp)
        result.push_back({QStringLiteral("Get official Technic"), technicDownloadAddress()});
    if (!inspection || !inspection->instanceRoot || !inspection->isCertifiedPack)
        result.push_back({QStringLiteral("Install Tekkit 2"), tekkitModpackAddress()});
    if (capability && !capability->rosettaInstalled)
        result.push_back({QStringLiteral("Rosetta 2 help"), rosettaHelpAddress()});
    if (!launcherJavaReady)
        result.push_back(launcherJavaLink(hostArchitecture));
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
