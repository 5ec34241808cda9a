#pragma once

#include "app/AppSeams.h"
#include "app/SessionPort.h"

#include <memory>

namespace orvane {

class CompanionSession;

// The session port over the application's one CompanionSession. The session is thread-safe and runs
// one operation at a time, so every call goes straight through; only the launch releases it while the
// watch runs, so a cancel is served meanwhile.
class CompanionSessionPort final : public SessionPort {
public:
    explicit CompanionSessionPort(std::shared_ptr<CompanionSession> session);
    ~CompanionSessionPort() override;

    // The session the application builds: the user's paths, the default Technic locator, the open
    // tool over the whole environment, the live process table, no chosen instance, capability or
    // provider override, the catalog, a 180-second watch, the direct-launch gate closed (every piece
    // of evidence false) as of now, and the display snapshot for capability reports. No file access.
    static std::shared_ptr<CompanionSessionPort> make(const AppSeams& seams);

    std::optional<InstallInspection> lastInspection() const override;
    std::optional<CapabilityReport> lastCapability() const override;
    std::optional<BackupManifest> lastBackup() const override;
    PackID selectedPackID() const override;
    bool instanceChosenExplicitly() const override;

    std::vector<PackDescriptor> availablePacks() override;
    PackDescriptor selectPack(const PackID& id) override;
    CapabilityReport refreshCapability() override;
    void setLabInstance(const std::optional<std::filesystem::path>& instance) override;
    InstallInspection discoverAndInspect() override;
    InstallInspection inspectCertified() override;
    InstallInspection inspect() override;
    HandoffReadinessReport handoffReadiness(const ProcessEnvironment& environment) override;
    std::optional<LaunchReceipt> loadLatestLaunchReceipt() override;
    BackupManifest createManualSnapshot() override;
    WorldBackupResult backUpWorlds() override;
    LatestBackups latestBackups() override;
    RestoreResult restoreWorlds() override;
    ApplyResult applyBalanced() override;
    RestoreResult restoreOverlay() override;
    LaunchResult launchSelectedPack(const LaunchEventHandler& onEvent) override;
    bool cancelActiveLaunch() override;
    WrittenDiagnostics writeDiagnostics() override;

private:
    std::shared_ptr<CompanionSession> m_session;
};

} // namespace orvane
