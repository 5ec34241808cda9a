#pragma once

#include "app/SessionPort.h"

#include <QString>
#include <QStringList>
#include <QThread>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace orvane::test {

// Holds one call of the fake session until the test lets it go, so a test can see an operation
// half-way (busy, in flight) and order concurrent calls without sleeping.
class Gate final {
public:
    // Test side: waits until a call has reached the gate (false after `timeoutMs`).
    bool waitUntilEntered(int timeoutMs = 10000);
    void release();

    // Session side.
    void enterAndWait();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_entered = false;
    bool m_released = false;
};

// A scripted, thread-safe SessionPort. Each operation answers from its script entry: a function that
// returns the result or throws. Unscripted operations that return a record throw std::logic_error
// naming themselves; the others answer as an empty session would. Every call is logged with its
// thread, and a gate can hold the next call of an operation.
class FakeSession final : public SessionPort {
public:
    struct Script {
        std::function<std::vector<PackDescriptor>()> availablePacks;
        std::function<PackDescriptor(const PackID&)> selectPack;
        std::function<CapabilityReport()> refreshCapability;
        std::function<void(const std::optional<std::filesystem::path>&)> setLabInstance;
        std::function<InstallInspection()> discoverAndInspect;
        std::function<InstallInspection()> inspectCertified;
        std::function<InstallInspection()> inspect;
        std::function<HandoffReadinessReport(const ProcessEnvironment&)> handoffReadiness;
        std::function<std::optional<LaunchReceipt>()> loadLatestLaunchReceipt;
        std::function<BackupManifest()> createManualSnapshot;
        std::function<BackupManifest()> backUpWorlds;
        std::optional<QString> worldBackupNotice; // what backUpWorlds says it finished first
        std::function<LatestBackups()> latestBackups;
        std::function<RestoreResult()> restoreWorlds;
        std::function<ApplyResult()> applyBalanced;
        std::function<RestoreResult()> restoreOverlay;
        std::function<LaunchResult(const LaunchEventHandler&)> launchSelectedPack;
        std::function<bool()> cancelActiveLaunch;
        std::function<WrittenDiagnostics()> writeDiagnostics;
    };

    // The stored results the reads return; tests and scripts may change them.
    struct Stored {
        std::optional<InstallInspection> lastInspection;
        std::optional<CapabilityReport> lastCapability;
        std::optional<BackupManifest> lastBackup;
        PackID selectedPackID = PackID::tekkit2;
        bool instanceChosenExplicitly = false;
    };

    struct Call {
        QString name;
        QThread* thread = nullptr;
    };

    // Changes the script under the fake's lock.
    void script(const std::function<void(Script&)>& edit);
    void store(const std::function<void(Stored&)>& edit);
    // The next call of `operation` waits at the returned gate before answering.
    std::shared_ptr<Gate> holdNext(const QString& operation);

    std::vector<Call> calls() const;
    // The names of the operations called, in call order (reads of stored results are not logged).
    QStringList callNames() const;

    // --- SessionPort ---
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
    // Logs the call, waits at its gate if one is set, then returns a copy of its script entry.
    template <typename Entry>
    Entry enter(const QString& name, Entry Script::*entry);

    mutable std::mutex m_mutex;
    Script m_script;
    Stored m_stored;
    std::vector<Call> m_calls;
    std::map<QString, std::shared_ptr<Gate>> m_gates;
};

} // namespace orvane::test
