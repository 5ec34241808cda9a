#include "app/CompanionSessionPort.h"

#include "session/CompanionSession.h"
#include "technic/OpenCommandOpener.h"
#include "technic/ProcessEnumerator.h"

#include <QDateTime>

namespace orvane {

CompanionSessionPort::CompanionSessionPort(std::shared_ptr<CompanionSession> session)
    : m_session(std::move(session))
{
}

CompanionSessionPort::~CompanionSessionPort() = default;

std::shared_ptr<CompanionSessionPort> CompanionSessionPort::make(const AppSeams& seams)
{
    const std::filesystem::path& home = seams.environment.home;
    CompanionSession::Seams sessionSeams;
    sessionSeams.environment = seams.environment.environment;
    sessionSeams.jvmRoot = seams.environment.jvmRoot;
    MainDisplaySource display;
    if (seams.display)
        display = DisplaySnapshot::sourceOf(seams.display);
    sessionSeams.detector = MacCapabilityDetector(home, std::move(display));

    auto session = std::make_shared<CompanionSession>(
        OrvanePaths(home, seams.environment.environment), TechnicLocator(home),
        std::make_shared<OpenCommandOpener>(seams.environment.environment, seams.environment.jvmRoot,
                                            OpenTool::system(), ProcessSpawner::system(), FileOperations::system(),
                                            seams.environment.hostArchitecture),
        std::make_shared<ProcessEnumerator>(), std::nullopt, std::nullopt, nullptr, CompanionSession::supportedPacks(),
        Stage2GateEvidence{}, DirectLaunchGateEvaluator{QDateTime::currentDateTimeUtc()}, 180.0,
        std::move(sessionSeams));
    return std::make_shared<CompanionSessionPort>(std::move(session));
}

std::optional<InstallInspection> CompanionSessionPort::lastInspection() const { return m_session->lastInspection(); }
std::optional<CapabilityReport> CompanionSessionPort::lastCapability() const { return m_session->lastCapability(); }
std::optional<BackupManifest> CompanionSessionPort::lastBackup() const { return m_session->lastBackup(); }
PackID CompanionSessionPort::selectedPackID() const { return m_session->selectedPackID(); }
bool CompanionSessionPort::instanceChosenExplicitly() const { return m_session->instanceChosenExplicitly(); }

std::vector<PackDescriptor> CompanionSessionPort::availablePacks() { return m_session->availablePacks(); }
PackDescriptor CompanionSessionPort::selectPack(const PackID& id) { return m_session->selectPack(id); }
CapabilityReport CompanionSessionPort::refreshCapability() { return m_session->refreshCapability(); }

void CompanionSessionPort::setLabInstance(const std::optional<std::filesystem::path>& instance)
{
    m_session->setLabInstance(instance);
}

InstallInspection CompanionSessionPort::discoverAndInspect() { return m_session->discoverAndInspect(); }
InstallInspection CompanionSessionPort::inspectCertified() { return m_session->inspectCertified(); }
InstallInspection CompanionSessionPort::inspect() { return m_session->inspect(); }

HandoffReadinessReport CompanionSessionPort::handoffReadiness(const ProcessEnvironment& environment)
{
    return m_session->handoffReadiness(environment);
}

std::optional<LaunchReceipt> CompanionSessionPort::loadLatestLaunchReceipt() { return m_session->loadLatestLaunchReceipt(); }
BackupManifest CompanionSessionPort::createManualSnapshot() { return m_session->createManualSnapshot(); }
WorldBackupResult CompanionSessionPort::backUpWorlds() { return m_session->backUpWorlds(); }

SessionPort::LatestBackups CompanionSessionPort::latestBackups()
{
    return m_session->latestBackups();
}

RestoreResult CompanionSessionPort::restoreWorlds() { return m_session->restoreWorlds(); }
ApplyResult CompanionSessionPort::applyBalanced() { return m_session->applyBalanced(); }
RestoreResult CompanionSessionPort::restoreOverlay() { return m_session->restoreOverlay(); }

LaunchResult CompanionSessionPort::launchSelectedPack(const LaunchEventHandler& onEvent)
{
    return m_session->launchSelectedPack(onEvent);
}

bool CompanionSessionPort::cancelActiveLaunch() { return m_session->cancelActiveLaunch(); }

SessionPort::WrittenDiagnostics CompanionSessionPort::writeDiagnostics()
{
    return m_session->writeDiagnostics();
}

} // namespace orvane
