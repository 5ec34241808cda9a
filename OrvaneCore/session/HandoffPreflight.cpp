#include "session/HandoffPreflight.h"

#include "model/CertifiedPack.h"
#include "model/TechnicSite.h"
#include "platform/PathText.h"

#include <set>

namespace orvane::HandoffPreflight {

namespace {

bool isJarLauncher(const InstallInspection& inspection)
{
    return inspection.technicApp
        && pathText(inspection.technicApp->extension()).toLower() == QLatin1String(".jar");
}

bool mojangJavaMatches(const InstallInspection& inspection, const OverlayPlan& plan)
{
    if (plan.enableMojangJava)
        return !plan.disableMojangJava && inspection.useMojangJava == true;
    if (plan.disableMojangJava)
        return inspection.useMojangJava == false;
    return true;
}

// What the launcher's Java must be and where it is looked for, when no check said more.
QString launcherJavaNeeded(const QString& hostArchitecture)
{
    const bool arm64 = LauncherJavaReadiness::requiredArchitecture(hostArchitecture) == QLatin1String("arm64");
    return QStringLiteral("Open Technic needs %1 in %2 (or JAVA_HOME). This JVM runs the launcher only, not the game.")
        .arg(arm64 ? QStringLiteral("arm64 Java 8") : QStringLiteral("Java 8"),
             pathText(LauncherJavaReadiness::defaultJvmRoot()));
}

} // namespace

bool isBalancedApplied(const InstallInspection& inspection, const OverlayPlan& plan)
{
    if (!inspection.instanceRoot)
        return false;
    if (inspection.runDataMemoryMB != plan.memoryMegabytes)
        return false;
    for (const auto& [key, value] : plan.options) {
        const auto found = inspection.options.find(key);
        if (found == inspection.options.end() || found->second != value)
            return false;
    }
    if (inspection.technicRoot && inspection.settingsMemoryId != plan.memorySettingsId)
        return false;
    return mojangJavaMatches(inspection, plan);
}

std::vector<QString> uniqued(const std::vector<QString>& texts)
{
    std::vector<QString> out;
    std::set<QString> seen;
    for (const QString& text : texts) {
        if (seen.insert(text).second)
            out.push_back(text);
    }
    return out;
}

QString actionTitle(HandoffSetupKind kind)
{
    return primaryActionTitle(kind);
}

QString summary(HandoffSetupKind kind)
{
    return guidance(kind);
}

bool needsSetup(HandoffSetupKind kind)
{
    HandoffReadinessReport report;
    report.setupKind = kind;
    return report.needsSetup();
}

HandoffReadinessReport evaluate(const CapabilityReport& capability, const InstallInspection& inspection,
                                const std::optional<OverlayPlan>& plan,
                                const std::optional<LauncherJavaReadiness>& launcherJava, bool technicRunning,
                                bool minecraftRunning, bool archiveAllowed)
{
    const bool launcherJavaReady = !isJarLauncher(inspection) || (launcherJava && launcherJava->isReady());
    const bool hasTechnic = inspection.technicApp.has_value();
    const bool hasInstance = inspection.instanceRoot.has_value();
    const bool certified = inspection.isCertifiedPack;
    const bool arm64 = capability.architecture == QLatin1String("arm64");
    const bool needsRosetta = arm64 && !capability.rosettaInstalled;
    const bool balancedApplied = plan && isBalancedApplied(inspection, *plan);

    HandoffReadinessReport report;
    report.canOpenTechnic = hasTechnic && (technicRunning || launcherJavaReady);
    report.canApplyBalanced = certified && archiveAllowed && !technicRunning && !minecraftRunning;
    report.canPlayInTechnic = report.canOpenTechnic && certified && balancedApplied && !minecraftRunning
        && (!arm64 || (capability.rosettaInstalled && inspection.useMojangJava == true));
    report.balancedApplied = balancedApplied;
    report.technicRunning = technicRunning;
    report.minecraftRunning = minecraftRunning;

    if (!hasTechnic)
        report.state = HandoffReadinessState::needsTechnic;
    else if (!hasInstance)
        report.state = HandoffReadinessState::needsTekkitInstall;
    else if (needsRosetta || !(certified && launcherJavaReady) || !archiveAllowed)
        report.state = HandoffReadinessState::blocked;
    else if (technicRunning || minecraftRunning)
        report.state = HandoffReadinessState::needsQuit;
    else if (balancedApplied)
        report.state = HandoffReadinessState::ready;
    else
        report.state = HandoffReadinessState::needsBalancedApply;

    // With Balanced applied and only Technic running the state says quit while the step is ready:
    // Play is pressed in the running Technic.
    if (!hasTechnic)
        report.setupKind = HandoffSetupKind::installTechnic;
    else if (!hasInstance)
        report.setupKind = HandoffSetupKind::installTekkit;
    else if (!certified)
        report.setupKind = HandoffSetupKind::selectCertifiedPack;
    else if (!launcherJavaReady)
        report.setupKind = HandoffSetupKind::installLauncherJava;
    else if (needsRosetta)
        report.setupKind = HandoffSetupKind::installRosetta;
    else if (!archiveAllowed)
        report.setupKind = HandoffSetupKind::chooseArchiveExplicitly;
    else if (minecraftRunning)
        report.setupKind = HandoffSetupKind::quitRunning;
    else if (balancedApplied)
        report.setupKind = HandoffSetupKind::ready;
    else if (technicRunning)
        report.setupKind = HandoffSetupKind::quitRunning;
    else
        report.setupKind = HandoffSetupKind::applyBalanced;

    std::vector<QString> actions;
    if (!hasTechnic)
        actions.push_back(QStringLiteral("Install the official Technic Launcher from %1, then open it once.")
                              .arg(QLatin1String(technicSiteDomain)));
    else if (!launcherJavaReady)
        actions.push_back(launcherJava && launcherJava->issue ? *launcherJava->issue
                                                              : launcherJavaNeeded(capability.architecture));
    if (!hasInstance)
        actions.push_back(QStringLiteral("Open Technic, sign in, and install the official Tekkit 2 1.2.6 pack."));
    else if (!certified)
        actions.push_back(QStringLiteral("Select the official Tekkit 2 1.2.6 build with Forge %1. Orvane will not "
                                         "change an uncertified pack.")
                              .arg(CertifiedPack::forgeVersion));
    if (needsRosetta)
        actions.push_back(QStringLiteral(
            "Install Rosetta 2 before Play. Tekkit 2's LWJGL 2 natives and Mojang Java 8 are Intel-only."));
    if (!archiveAllowed)
        actions.push_back(QStringLiteral("This auto-discovered instance is an archive copy. Choose it explicitly, or "
                                         "install Tekkit 2 in official Technic."));
    if (technicRunning)
        actions.push_back(QStringLiteral("Quit Technic before Orvane applies or repairs settings."));
    if (minecraftRunning)
        actions.push_back(QStringLiteral("Quit Minecraft before Orvane applies or repairs settings."));
    if (report.canApplyBalanced && !balancedApplied)
        actions.push_back(QStringLiteral("Apply Balanced. Orvane will snapshot the existing settings before "
                                         "changing its approved overlay files."));

    report.requiredActions = uniqued(actions);
    report.warnings = uniqued(inspection.warnings);
    return report;
}

} // namespace orvane::HandoffPreflight
