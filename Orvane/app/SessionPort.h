#pragma once

#include "model/ApplyResult.h"
#include "model/BackupManifest.h"
#include "model/CapabilityReport.h"
#include "model/DiagnosticSummary.h"
#include "model/HandoffReadinessReport.h"
#include "model/InstallInspection.h"
#include "model/LaunchProvider.h"
#include "model/LaunchResult.h"
#include "model/PackDescriptor.h"
#include "model/PackID.h"
#include "model/RestoreResult.h"
#include "model/WorldBackupResult.h"
#include "platform/ProcessEnvironment.h"
#include "records/LaunchReceipt.h"
#include "session/CompanionSession.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

// What the application model may ask of the companion session: its stored results and its
// operations. The model never calls a port on the GUI thread: every call goes through the pool runner
// (PoolRunner), so a port must be thread-safe. Each call blocks its pool thread until done and throws
// the session's own errors unchanged.
class SessionPort {
public:
    // The session's own result records, so the port passes them through unchanged.
    using LatestBackups = CompanionSession::LatestBackups;
    using WrittenDiagnostics = CompanionSession::WrittenDiagnostics;

    virtual ~SessionPort() = default;

    // --- Stored results ---
    virtual std::optional<InstallInspection> lastInspection() const = 0;
    virtual std::optional<CapabilityReport> lastCapability() const = 0;
    virtual std::optional<BackupManifest> lastBackup() const = 0;
    virtual PackID selectedPackID() const = 0;
    virtual bool instanceChosenExplicitly() const = 0;

    // --- Selection and inspection ---
    virtual std::vector<PackDescriptor> availablePacks() = 0;
    virtual PackDescriptor selectPack(const PackID& id) = 0;
    virtual CapabilityReport refreshCapability() = 0;
    virtual void setLabInstance(const std::optional<std::filesystem::path>& instance) = 0;
    virtual InstallInspection discoverAndInspect() = 0;
    virtual InstallInspection inspectCertified() = 0;
    virtual InstallInspection inspect() = 0;

    // --- Readiness, backups and the overlay ---
    virtual HandoffReadinessReport handoffReadiness(const ProcessEnvironment& environment) = 0;
    virtual std::optional<LaunchReceipt> loadLatestLaunchReceipt() = 0;
    virtual BackupManifest createManualSnapshot() = 0;
    virtual WorldBackupResult backUpWorlds() = 0;
    virtual LatestBackups latestBackups() = 0;
    virtual RestoreResult restoreWorlds() = 0;
    virtual ApplyResult applyBalanced() = 0;
    virtual RestoreResult restoreOverlay() = 0;

    // --- Launch ---
    // Blocks its pool thread for the whole watch; `onEvent` is called on that thread for every live
    // event. Ends with CancellationError after cancelActiveLaunch().
    virtual LaunchResult launchSelectedPack(const LaunchEventHandler& onEvent) = 0;
    // True when a running launch was asked to stop.
    virtual bool cancelActiveLaunch() = 0;

    // --- Diagnostics ---
    virtual WrittenDiagnostics writeDiagnostics() = 0;

protected:
    SessionPort() = default;
    SessionPort(const SessionPort&) = default;
    SessionPort& operator=(const SessionPort&) = default;
};

} // namespace orvane
