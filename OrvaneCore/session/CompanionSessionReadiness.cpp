#include "session/CompanionSession.h"

#include "platform/PathText.h"
#include "session/HandoffPreflight.h"
#include "session/PlanResolver.h"
#include "technic/LauncherJavaReadiness.h"

namespace orvane {

HandoffReadinessReport CompanionSession::handoffReadiness(const ProcessEnvironment& environment)
{
    Locked locked(m_mutex);
    const CapabilityReport capability = currentCapability(locked);
    const InstallInspection inspection = discoverAndInspect(locked);
    std::optional<OverlayPlan> plan;
    if (inspection.isCertifiedPack)
        plan = PlanResolver::resolve(capability, inspection);

    // Only a launcher JAR runs on a Java the user provides. That Java must run natively on this host.
    std::optional<LauncherJavaReadiness> launcherJava;
    if (inspection.technicApp
        && pathText(inspection.technicApp->extension()).toLower() == QLatin1String(".jar"))
        launcherJava = LauncherJavaReadiness::check(environment, m_inspector.jvmRoot(), capability.architecture, *m_files);

    const bool technicRunning = isTechnicRunning();
    const bool minecraftRunning = m_processes->isGameJavaRunning();
    const bool archiveAllowed = m_instanceChosenExplicitly || !inspection.instanceRoot
        || !pathText(*inspection.instanceRoot).contains(QLatin1String("Minecraft Backups"));
    return HandoffPreflight::evaluate(capability, inspection, plan, launcherJava, technicRunning, minecraftRunning,
                                      archiveAllowed);
}

} // namespace orvane
