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

// What the evaluation reads from its inputs.
struct Findings {
    bool hasTechnic = false;
    bool hasInstance = false;
    bool certified = false;
    bool launcherJavaReady = false;
    bool needsRosetta = false;
    bool archiveAllowed = false;
    bool balancedApplied = false;
    bool technicRunning = false;
    bool minecraftRunning = false;
};

HandoffReadinessState readinessState(const Findings& found)
{
    if (!found.hasTechnic)
        return HandoffReadinessState::needsTechnic;
    if (!found.hasInstance)
        return HandoffReadinessState::needsTekkitInstall;
    if (found.needsRosetta || !(found.certified && found.launcherJavaReady) || !found.archiveAllowed)
        return HandoffReadinessState::blocked;
    if (found.technicRunning || found.minecraftRunning)
        return HandoffReadinessState::needsQuit;
    if (found.balancedApplied)
        return HandoffReadinessState::ready;
    return HandoffReadinessState::needsBalancedApply;
}

// With Balanced applied and only Technic running the state says quit while the step is ready:
// Play is pressed in the running Technic.
HandoffSetupKind setupKind(const Findings& found)
{
    if (!found.hasTechnic)
        return HandoffSetupKind::installTechnic;
    if (!found.hasInstance)
        return HandoffSetupKind::installTekkit;
    if (!found.certified)
        return HandoffSetupKind::selectCertifiedPack;
    if (!found.launcherJavaReady)
        return HandoffSetupKind::installLauncherJava;
    if (found.needsRosetta)
        return HandoffSetupKind::installRosetta;
    if (!found.archiveAllowed)
        return HandoffSetupKind::chooseArchiveExplicitly;
    if (found.minecraftRunning)
        return HandoffSetupKind::quitRunning;
    if (found.balancedApplied)
        return HandoffSetupKind::ready;
    if (found.technicRunning)
        return HandoffSetupKind::quitRunning;
    return HandoffSetupKind::applyBalanced;
}

// Every step the user must take, in the order they are shown.
std::vector<QString> requiredActions(const Findings& found, bool canApplyBalanced,
                                     const std::optional<LauncherJavaReadiness>& launcherJava,
                                     const QString& hostArchitecture)
{
    std::vector<QString> actions;
    if (!found.hasTechnic)
        actions.push_back(QStringLiteral("Install the official Technic Launcher from %1, then open it once.")
                              .arg(QLatin1String(technicSiteDomain)));
    else if (!found.launcherJavaReady)
        actions.push_back(launcherJava && launcherJava->issue ? *launcherJava->issue
                                                              : launcherJavaNeeded(hostArchitecture));
    if (!found.hasInstance)
        actions.push_back(QStringLiteral("Open Technic, sign in, and install the official Tekkit 2 1.2.6 pack."));
    else if (!found.certified)
        actions.push_back(QStringLiteral("Select the official Tekkit 2 1.2.6 build with Forge %1. Orvane will not "
                                         "change an uncertified pack.")
                              .arg(CertifiedPack::forgeVersion));
    if (found.needsRosetta)
        actions.push_back(QStringLiteral(
            "Install Rosetta 2 before Play. Tekkit 2's LWJGL 2 natives and Mojang Java 8 are Intel-only."));
    if (!found.archiveAllowed)
        actions.push_back(QStringLiteral("This auto-discovered instance is an archive copy. Choose it explicitly, or "
                                         "install Tekkit 2 in official Technic."));
    if (found.technicRunning)
        actions.push_back(QStringLiteral("Quit Technic before Orvane applies or repairs settings."));
    if (found.minecraftRunning)
        actions.push_back(QStringLiteral("Quit Minecraft before Orvane applies or repairs settings."));
    if (canApplyBalanced && !found.balancedApplied)
        actions.push_back(QStringLiteral("Apply Balanced. Orvane will snapshot the existing settings before "
                                         "changing its approved overlay files."));
    return actions;
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
    const bool arm64 = capability.architecture == QLatin1String("arm64");
    const Findings found{
        .hasTechnic = inspection.technicApp.has_value(),
        .hasInstance = inspection.instanceRoot.has_value(),
        .certified = inspection.isCertifiedPack,
        .launcherJavaReady = !isJarLauncher(inspection) || (launcherJava && launcherJava->isReady()),
        .needsRosetta = arm64 && !capability.rosettaInstalled,
        .archiveAllowed = archiveAllowed,
        .balancedApplied = plan && isBalancedApplied(inspection, *plan),
        .technicRunning = technicRunning,
        .minecraftRunning = minecraftRunning,
    };

    HandoffReadinessReport report;
    report.canOpenTechnic = found.hasTechnic && (technicRunning || found.launcherJavaReady);
    report.canApplyBalanced = found.certified && archiveAllowed && !technicRunning && !minecraftRunning;
    report.canPlayInTechnic = report.canOpenTechnic && found.certified && found.balancedApplied && !minecraftRunning
        && (!arm64 || (capability.rosettaInstalled && inspection.useMojangJava == true));
    report.balancedApplied = found.balancedApplied;
    report.technicRunning = technicRunning;
    report.minecraftRunning = minecraftRunning;
    report.state = readinessState(found);
    report.setupKind = setupKind(found);
    report.requiredActions =
        uniqued(requiredActions(found, report.canApplyBalanced, launcherJava, capability.architecture));
    report.warnings = uniqued(inspection.warnings);
    return report;
}

} // namespace orvane::HandoffPreflight
