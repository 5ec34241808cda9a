#include "session/CompanionSession.h"

#include "platform/PathText.h"
#include "platform/SystemFacts.h"

#include <utility>

namespace orvane {

LaunchReceipt::BundleVersions CompanionSessionSeams::defaultBundleVersions()
{
    return LaunchReceipt::BundleVersions {
        LaunchReceipt::sanitizedValue(QStringLiteral(ORVANE_CORE_VERSION)),
        LaunchReceipt::sanitizedValue(QStringLiteral(ORVANE_CORE_BUILD_NUMBER)),
    };
}

const std::vector<PackDescriptor>& CompanionSession::supportedPacks()
{
    static const std::vector<PackDescriptor> packs {PackDescriptor::tekkit2};
    return packs;
}

CompanionSession::CompanionSession(OrvanePaths paths, TechnicLocator locator, std::shared_ptr<ApplicationOpener> opener,
                                   std::shared_ptr<ProcessInspecting> processes,
                                   const std::optional<std::filesystem::path>& labInstance,
                                   std::optional<CapabilityReport> capability,
                                   std::shared_ptr<LaunchProvider> launchProvider, std::vector<PackDescriptor> packs,
                                   Stage2GateEvidence directLaunchGateEvidence,
                                   DirectLaunchGateEvaluator directLaunchGateEvaluator,
                                   double launchObservationTimeout, Seams seams)
    : m_paths(std::move(paths))
    , m_detector(seams.detector ? std::move(*seams.detector)
                                : MacCapabilityDetector(locator.home(), {}, SystemFacts::system(), seams.rosetta))
    , m_locator(std::move(locator))
    , m_inspector(seams.files, std::move(seams.jvmRoot), std::move(seams.environment),
                  [rosetta = seams.rosetta] { return rosetta && rosetta->isInstalled(); }, m_detector.architecture())
    , m_opener(std::move(opener))
    , m_processes(std::move(processes))
    , m_launchObservationTimeout(launchObservationTimeout)
    , m_launchProviderOverride(std::move(launchProvider))
    , m_packs(std::move(packs))
    , m_directLaunchGateEvidence(std::move(directLaunchGateEvidence))
    , m_directLaunchGateEvaluator(std::move(directLaunchGateEvaluator))
    , m_files(std::move(seams.files))
    , m_clock(std::move(seams.clock))
    , m_makeUuid(std::move(seams.makeUuid))
    , m_bundleVersions(std::move(seams.bundleVersions))
    , m_storeLockPatience(std::move(seams.storeLockPatience))
    , m_hostName(std::move(seams.hostName))
    , m_lastCapability(std::move(capability))
    , m_selectedPackID(m_packs.empty() ? PackID::tekkit2 : m_packs.front().id)
    , m_labInstance(usableInstance(labInstance))
    , m_instanceChosenExplicitly(m_labInstance.has_value())
{
}

CompanionSession::~CompanionSession() = default;

std::optional<InstallInspection> CompanionSession::lastInspection() const
{
    const std::lock_guard lock(m_mutex);
    return m_lastInspection;
}

std::optional<CapabilityReport> CompanionSession::lastCapability() const
{
    const std::lock_guard lock(m_mutex);
    return m_lastCapability;
}

std::optional<BackupManifest> CompanionSession::lastBackup() const
{
    const std::lock_guard lock(m_mutex);
    return m_lastBackup;
}

std::optional<LaunchObservation> CompanionSession::lastLaunch() const
{
    const std::lock_guard lock(m_mutex);
    return m_lastLaunch;
}

std::optional<std::filesystem::path> CompanionSession::lastLaunchReceipt() const
{
    const std::lock_guard lock(m_mutex);
    return m_lastLaunchReceipt;
}

std::optional<OverlayPlan> CompanionSession::lastPlan() const
{
    const std::lock_guard lock(m_mutex);
    return m_lastPlan;
}

std::optional<LaunchResult> CompanionSession::lastLaunchResult() const
{
    const std::lock_guard lock(m_mutex);
    return m_lastLaunchResult;
}

PackID CompanionSession::selectedPackID() const
{
    const std::lock_guard lock(m_mutex);
    return m_selectedPackID;
}

std::optional<std::filesystem::path> CompanionSession::labInstance() const
{
    const std::lock_guard lock(m_mutex);
    return m_labInstance;
}

bool CompanionSession::instanceChosenExplicitly() const
{
    const std::lock_guard lock(m_mutex);
    return m_instanceChosenExplicitly;
}

std::uint64_t CompanionSession::stateGeneration() const
{
    const std::lock_guard lock(m_mutex);
    return m_stateGeneration;
}

std::size_t CompanionSession::cancelledLaunchCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_cancelledLaunches.size();
}

BackupStore CompanionSession::makeBackupStore(const std::filesystem::path& root) const
{
    BackupStore store(root, m_files, m_paths.applicationSupport / "tmp");
    store.setLockPatience(m_storeLockPatience);
    return store;
}

std::filesystem::path CompanionSession::worldBackupsFolder() const
{
    return m_paths.backups / "saves";
}

Redaction CompanionSession::redaction() const
{
    return redactionFor(pathText(m_locator.home()));
}

QDateTime CompanionSession::now() const
{
    return m_clock->currentDate();
}

} // namespace orvane
