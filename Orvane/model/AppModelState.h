#pragma once

#include "model/ApplyResult.h"
#include "model/BackupManifest.h"
#include "model/CapabilityReport.h"
#include "model/HandoffReadinessReport.h"
#include "model/InstallInspection.h"
#include "model/LaunchObservation.h"
#include "model/LaunchResult.h"
#include "model/PackDescriptor.h"
#include "model/PackID.h"
#include "model/RestoreResult.h"
#include "model/UpdateCheckState.h"
#include "records/LaunchReceipt.h"

#include <QString>
#include <QUuid>

#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

// Everything the window shows, as AppModel holds it. The defaults are the state right after start.
struct AppModelState {
    static QString initialStatus() { return QStringLiteral("Inspect first. Orvane will not touch files until you ask."); }

    std::vector<PackDescriptor> availablePacks{PackDescriptor::tekkit2}; // the pack picker's entries
    PackID selectedPackID = PackID::tekkit2;
    std::optional<CapabilityReport> capability;
    std::optional<InstallInspection> inspection;
    std::optional<BackupManifest> backup; // the latest overlay (settings) backup
    std::optional<ApplyResult> applyResult;
    std::optional<RestoreResult> restoreResult; // of the last overlay restore
    std::optional<LaunchResult> providerLaunchResult;
    std::optional<LaunchObservation> launch;
    std::optional<QString> liveLaunchEventStatus; // the latest accepted live event's message
    bool providerOperationActive = false;
    bool cancellationRequested = false;
    bool launchWasCancelled = false; // the last launch watch ended by cancellation
    std::optional<QString> diagnosticPreview;
    std::optional<std::filesystem::path> diagnosticURL;
    std::optional<QString> labInstancePath; // the instance folder the user chose
    std::optional<BackupManifest> savesBackup; // the latest world backup
    std::optional<HandoffReadinessReport> handoffReadiness;
    std::optional<LaunchReceipt> persistedLaunchReceipt;
    bool observingLaunch = false;
    QString status = initialStatus();
    std::optional<QString> errorMessage;
    bool busy = false;
    UpdateCheckState updateCheckState;
    bool initialInspectionCompleted = false;
    bool primaryActionInFlight = false;
    std::optional<QUuid> activeProviderOperationID; // the launch whose live events are accepted
    std::vector<QUuid> terminalProviderOperationIDs; // launches already finished

    bool operator==(const AppModelState&) const = default;
};

} // namespace orvane
