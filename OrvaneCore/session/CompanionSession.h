#pragma once

#include "model/ApplyResult.h"
#include "model/BackupKind.h"
#include "model/BackupManifest.h"
#include "model/CapabilityReport.h"
#include "model/DiagnosticSummary.h"
#include "model/DirectLaunchGateEvaluator.h"
#include "model/HandoffReadinessReport.h"
#include "model/InstallInspection.h"
#include "model/LaunchEvent.h"
#include "model/LaunchEventKind.h"
#include "model/LaunchObservation.h"
#include "model/LaunchProvider.h"
#include "model/LaunchProviderID.h"
#include "model/LaunchResult.h"
#include "model/LaunchResultDiagnostic.h"
#include "model/OrvanePaths.h"
#include "model/OverlayPlan.h"
#include "model/PackDescriptor.h"
#include "model/PackID.h"
#include "model/PackLaunchRequest.h"
#include "model/RestoreResult.h"
#include "model/Stage2GateEvidence.h"
#include "model/WorldBackupResult.h"
#include "platform/FileOperations.h"
#include "platform/ProcessEnvironment.h"
#include "records/BackupStore.h"
#include "records/LaunchReceipt.h"
#include "records/Redaction.h"
#include "session/CompanionSessionSeams.h"
#include "technic/ApplicationOpener.h"
#include "technic/InstallInspector.h"
#include "technic/LaunchClock.h"
#include "technic/MacCapabilityDetector.h"
#include "technic/ProcessInspecting.h"
#include "technic/TechnicLocator.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <tuple>
#include <vector>

namespace orvane {

// The one object that owns the companion's working state and carries out every user operation:
// pack selection, inspection, backups and restores, Apply Balanced, the handoff readiness report,
// the launch of the selected pack and the diagnostic report. The application builds exactly one.
//
// Thread-safe: one mutex guards all state and every public operation holds it for its whole body,
// so operations run one at a time. The launch is the exception: the provider runs on the caller's
// thread with the lock released, so every other call (a cancel above all) is served while a watch
// runs. No lock is held while a provider, an event handler, a wait or a sleep runs. Accessors
// return copies taken under the lock.
//
// The operations live in one file per family: CompanionSession.cpp (construction, accessors),
// CompanionSessionSelection.cpp, CompanionSessionOverlay.cpp (Apply and snapshots),
// CompanionSessionOverlayRestore.cpp, CompanionSessionWorlds.cpp,
// CompanionSessionLaunch.cpp and CompanionSessionDiagnostics.cpp.
class CompanionSession final {
public:
    using Seams = CompanionSessionSeams;

    // The newest backups of the current instance.
    struct LatestBackups {
        std::optional<BackupManifest> overlay; // the newest restorable pre-overlay snapshot, else any kind
        std::optional<BackupManifest> world;
        bool operator==(const LatestBackups&) const = default;
    };

    // What writeDiagnostics() built and where it stored it.
    struct WrittenDiagnostics {
        DiagnosticSummary summary;
        std::filesystem::path url;
        bool operator==(const WrittenDiagnostics&) const = default;
    };

    // The catalog of this build: Tekkit 2 through official Technic. Built once.
    static const std::vector<PackDescriptor>& supportedPacks();

    // Touches no file and cannot fail. An instance folder given here counts as chosen explicitly;
    // one that is not absolute counts as none. The selected pack is the first of `packs`, else
    // "tekkit-2". The application passes no instance, capability or provider, supportedPacks() and
    // 180 seconds.
    CompanionSession(OrvanePaths paths, TechnicLocator locator, std::shared_ptr<ApplicationOpener> opener,
                     std::shared_ptr<ProcessInspecting> processes,
                     const std::optional<std::filesystem::path>& labInstance,
                     std::optional<CapabilityReport> capability, std::shared_ptr<LaunchProvider> launchProvider,
                     std::vector<PackDescriptor> packs, Stage2GateEvidence directLaunchGateEvidence,
                     DirectLaunchGateEvaluator directLaunchGateEvaluator, double launchObservationTimeout,
                     Seams seams = {});
    ~CompanionSession();

    CompanionSession(const CompanionSession&) = delete;
    CompanionSession& operator=(const CompanionSession&) = delete;
    CompanionSession(CompanionSession&&) = delete;
    CompanionSession& operator=(CompanionSession&&) = delete;

    // --- Stored results (copies taken under the lock) ---

    std::optional<InstallInspection> lastInspection() const;
    std::optional<CapabilityReport> lastCapability() const;
    std::optional<BackupManifest> lastBackup() const;
    std::optional<LaunchObservation> lastLaunch() const;
    std::optional<std::filesystem::path> lastLaunchReceipt() const;
    std::optional<OverlayPlan> lastPlan() const;
    std::optional<LaunchResult> lastLaunchResult() const;
    PackID selectedPackID() const;
    std::optional<std::filesystem::path> labInstance() const;
    bool instanceChosenExplicitly() const;
    // Raised by every setLabInstance() and by every selectPack() that changes the pack.
    std::uint64_t stateGeneration() const;
    // How many cancelled launches are remembered (at most 32).
    std::size_t cancelledLaunchCount() const;

    // Fixed at construction.
    const OrvanePaths& paths() const { return m_paths; }
    const std::vector<PackDescriptor>& packs() const { return m_packs; }

    // --- Selection and inspection ---

    // The catalog, each entry through the direct-launch gate, in catalog order.
    std::vector<PackDescriptor> availablePacks() const;
    // Throws OrvaneError::io for a pack outside the catalog and LaunchProviderError::unavailable (the
    // gated reason) for a blocked one. A change of pack forgets the instance and every stored result
    // but the capability.
    PackDescriptor selectPack(const PackID& id);
    // Measures the computer now and stores the report. Never throws.
    CapabilityReport refreshCapability();
    // Stores the folder (standardised; a relative one counts as none), chosen explicitly when present,
    // and forgets every stored result but the capability. Raises the generation on every call.
    void setLabInstance(const std::optional<std::filesystem::path>& instance);
    // Discovers an instance when none is set (a discovered one is not chosen explicitly), then inspect().
    InstallInspection discoverAndInspect();
    // inspect() that also requires the certified pack version and Forge build; stores only then.
    InstallInspection inspectCertified();
    // Locates Technic and inspects the instance read-only; stores and returns the inspection.
    InstallInspection inspect();

    // --- Readiness, backups and the overlay ---

    HandoffReadinessReport handoffReadiness(const ProcessEnvironment& environment);
    // The newest launch receipt, remembering its file. Never throws.
    std::optional<LaunchReceipt> loadLatestLaunchReceipt();
    BackupManifest createManualSnapshot();
    WorldBackupResult backUpWorlds();
    // Never throws: unreadable stores give none.
    LatestBackups latestBackups();
    RestoreResult restoreWorlds();
    ApplyResult applyBalanced();
    // Undoes Balanced: every key it wrote to an overlay file goes back to its value from before
    // Balanced first took effect on that file (or goes, where it was absent then), from the verified
    // snapshot that holds it; everything else the files hold now stays. All files change or none.
    RestoreResult restoreOverlay();

    // --- Launch ---

    // launchSelectedPack() with a handler that does nothing; the result's observation.
    LaunchObservation openTechnic(std::stop_token callerStop = {});
    // Runs the selected pack's provider on the calling thread with the lock released. `onEvent` is
    // called for every accepted live event, in acceptance order, outside the lock; what it throws is
    // dropped. A stop requested through `callerStop` or cancelActiveLaunch() ends it with
    // CancellationError.
    LaunchResult launchSelectedPack(const LaunchEventHandler& onEvent, std::stop_token callerStop = {});
    // True when a running launch was marked cancelled and asked to stop; false when none runs. The stop
    // is requested after the lock is released: the provider's stop callbacks may report events.
    bool cancelActiveLaunch();

    // --- Diagnostics ---

    WrittenDiagnostics writeDiagnostics();

    // --- Pure helpers ---

    // The instance's options.txt and bin/runData, then the data folder's settings.json when known.
    static std::vector<std::filesystem::path> overlayTargetFiles(const InstallInspection& inspection,
                                                                 const std::filesystem::path& instanceRoot);
    // The standardised paths of the instance's options.txt and bin/runData that do not exist.
    static std::vector<QString> missingOverlayFiles(const InstallInspection& inspection);
    // "<pack> provider=<id> mode=<mode> state=<state> message=<message>"
    static QString launchResultSummary(const LaunchResultDiagnostic& diagnostic);

private:
    // Proof that the caller holds m_mutex; helpers that read or change state take one. The launch
    // unlocks it around the provider and locks it again to finish.
    struct Locked final {
        explicit Locked(std::mutex& mutex) : lock(mutex) {}
        std::unique_lock<std::mutex> lock;
    };

    // Names one launch within one state generation.
    struct LaunchOperationToken {
        QUuid id;
        std::uint64_t generation = 0;
        bool operator==(const LaunchOperationToken&) const = default;
        friend bool operator<(const LaunchOperationToken& a, const LaunchOperationToken& b)
        {
            return std::tie(a.id, a.generation) < std::tie(b.id, b.generation);
        }
    };

    // The running launch and what its live events have shown so far.
    struct ActiveLaunch {
        LaunchOperationToken token;
        // Stops the running provider; the caller's token is linked to it for the launch's length.
        std::stop_source stop;
        // Keeps the deliveries to its handler in acceptance order (its sink holds a reference too).
        std::shared_ptr<std::mutex> delivery;
        std::set<QUuid> eventIDs;
        std::vector<LaunchEvent> events;
        std::optional<QDateTime> eventDate;
        std::optional<LaunchEventKind> terminalEvent;
        std::optional<QString> eventContractViolation;
    };

    // What the steps under the lock hand to the provider's run.
    struct StartedLaunch {
        std::shared_ptr<LaunchProvider> provider;
        std::optional<InstallInspection> inspection;
        PackLaunchRequest request;
        LaunchOperationToken token;
        std::stop_source stop;
        std::shared_ptr<std::mutex> delivery;
    };

    // --- Selection and inspection (CompanionSessionSelection.cpp) ---

    CapabilityReport refreshCapability(Locked& locked);
    // lastCapability, measured and stored when there is none.
    CapabilityReport currentCapability(Locked& locked);
    InstallInspection discoverAndInspect(Locked& locked);
    InstallInspection inspectCertified(Locked& locked);
    InstallInspection inspect(Locked& locked);
    // The folder standardised; none for a relative one, which would be inspected against the working
    // directory and backed up under paths no restore can match.
    static std::optional<std::filesystem::path> usableInstance(const std::optional<std::filesystem::path>& instance);
    // Forgets the instance's stored results; the capability stays.
    void forgetInstanceResults(Locked& locked);
    std::optional<PackDescriptor> findPack(const PackID& id) const;
    // Reads only fixed state.
    PackDescriptor applyingDirectLaunchGate(const PackDescriptor& pack) const;

    // --- Guards, worlds and backups (CompanionSessionWorlds.cpp) ---

    void requireNotArchiveCopy(Locked& locked, const InstallInspection& inspection) const;
    // The inspection to change files in (the stored one, else a certified inspection), after the
    // archive, running-process and instance checks. `testFirst`, when given, tests the inspection
    // before those checks (Apply tests a stored inspection against the certified build again).
    InstallInspection writeGuard(Locked& locked,
                                 const std::function<void(const InstallInspection&)>& testFirst = {});
    LatestBackups latestBackups(Locked& locked);
    // The newest restorable pre-overlay snapshot of the instance, else its newest of any kind; none on errors.
    std::optional<BackupManifest> latestOverlayBackup(const std::filesystem::path& instanceRoot) const;
    bool isTechnicRunning() const;

    // --- Overlay (CompanionSessionOverlay.cpp) ---

    BackupManifest createOverlaySnapshot(Locked& locked, BackupKind kind, const std::vector<QString>& createdPaths,
                                         const QString& notes);

    // --- Launch (CompanionSessionLaunch.cpp) ---

    // The selected pack, when no launch runs and the pack may be launched.
    PackDescriptor launchablePack(Locked& locked) const;
    // The inspection a launch through official Technic starts from (none for a direct launch, once the
    // direct-launch gate lets it through).
    std::optional<InstallInspection> launchInspection(Locked& locked, const PackDescriptor& pack);
    // Checks the selected pack and records a new launch of it as the running one.
    StartedLaunch startLaunch(Locked& locked);
    // Runs the provider on the calling thread with the lock released; on a throw the launch is cleared.
    LaunchResult runProvider(const StartedLaunch& launch, const LaunchEventHandler& onEvent,
                             const std::stop_token& callerStop);
    // Reads only fixed state.
    std::shared_ptr<LaunchProvider> launchProvider(const PackDescriptor& pack) const;
    // Takes the lock itself: called from the provider's event sink. Judges and records the event under
    // the lock, then delivers it to `onEvent` outside it; `delivery` keeps deliveries in acceptance order.
    // An event reported from inside a delivery on the same thread (a stop requested by `onEvent`) is dropped.
    void recordLiveEvent(const LaunchEvent& event, const PackLaunchRequest& request, LaunchProviderID providerID,
                         std::uint64_t generation, const LaunchEventHandler& onEvent,
                         const std::shared_ptr<std::mutex>& delivery);
    // The finishing steps of a launch whose provider returned `result`.
    LaunchResult finishLaunch(Locked& locked, const LaunchResult& result, const PackLaunchRequest& request,
                              const LaunchProvider& provider, const LaunchOperationToken& token,
                              const std::optional<InstallInspection>& inspection, const std::stop_token& callerStop);
    // Only when the active launch is `operationID`: back to idle. Cancelled tokens stay.
    void clearActiveLaunch(Locked& locked, const QUuid& operationID);
    // Never throws; lastLaunchReceipt becomes the written file, or none.
    void writeLaunchReceipt(Locked& locked, const LaunchObservation& observation, const InstallInspection& inspection,
                            const QDateTime& startedAt);

    // --- Shared ---

    // Every backup store of the session is made here: overlay snapshots in paths.backups, world
    // backups in its "saves" folder.
    BackupStore makeBackupStore(const std::filesystem::path& root) const;
    std::filesystem::path worldBackupsFolder() const;
    // The diagnostic redactor bound to the session's home (never the process's own).
    Redaction redaction() const;
    QDateTime now() const;

    mutable std::mutex m_mutex;

    // Fixed at construction.
    const OrvanePaths m_paths;
    const MacCapabilityDetector m_detector;
    const TechnicLocator m_locator;
    const InstallInspector m_inspector;
    const std::shared_ptr<ApplicationOpener> m_opener;
    const std::shared_ptr<ProcessInspecting> m_processes;
    const double m_launchObservationTimeout;
    const std::shared_ptr<LaunchProvider> m_launchProviderOverride;
    const std::vector<PackDescriptor> m_packs;
    const Stage2GateEvidence m_directLaunchGateEvidence;
    const DirectLaunchGateEvaluator m_directLaunchGateEvaluator;
    const std::shared_ptr<FileOperations> m_files;
    const std::shared_ptr<LaunchClock> m_clock;
    const std::function<QUuid()> m_makeUuid;
    const LaunchReceipt::BundleVersions m_bundleVersions;
    const StoreLock::Patience m_storeLockPatience;
    const std::function<QString()> m_hostName;

    // Stored results.
    std::optional<InstallInspection> m_lastInspection;
    std::optional<CapabilityReport> m_lastCapability;
    std::optional<BackupManifest> m_lastBackup;
    std::optional<LaunchObservation> m_lastLaunch;
    std::optional<std::filesystem::path> m_lastLaunchReceipt;
    std::optional<OverlayPlan> m_lastPlan;
    std::optional<LaunchResult> m_lastLaunchResult;
    PackID m_selectedPackID;
    std::optional<std::filesystem::path> m_labInstance;
    bool m_instanceChosenExplicitly = false;
    std::uint64_t m_stateGeneration = 0;

    // The running launch; none while idle.
    std::optional<ActiveLaunch> m_activeLaunch;
    // Launches the user cancelled; never more than 32 after a cancel.
    std::set<LaunchOperationToken> m_cancelledLaunches;
};

} // namespace orvane
