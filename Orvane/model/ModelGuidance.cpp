#include "model/ModelGuidance.h"

#include "model/LaunchOutcome.h"
#include "technic/LauncherJavaReadiness.h"

namespace orvane::modelGuidance {
namespace {

bool isSetupStep(HandoffSetupKind kind)
{
    return kind != HandoffSetupKind::applyBalanced && kind != HandoffSetupKind::ready;
}

bool isCrashOrMissing(LaunchOutcome outcome)
{
    return outcome == LaunchOutcome::crashDetected || outcome == LaunchOutcome::technicMissing;
}

// The level an observed outcome calls for, if any.
std::optional<AppStatusLevel> outcomeLevel(LaunchOutcome outcome)
{
    if (isCrashOrMissing(outcome))
        return AppStatusLevel::error;
    if (outcome == LaunchOutcome::timedOut)
        return AppStatusLevel::warning;
    return std::nullopt;
}

// The guidance of a setup step. The launcher Java's names arm64 only where the session's capability
// report says the host is arm64, the host whose Java it judged; before any report, the texts as written.
QString setupGuidance(const AppModelState& state, HandoffSetupKind kind)
{
    if (kind == HandoffSetupKind::installLauncherJava && state.capability
        && LauncherJavaReadiness::requiredArchitecture(state.capability->architecture) != QLatin1String("arm64"))
        return QStringLiteral("Zulu 8 is required to open official Technic.");
    return guidance(kind);
}

} // namespace

PackDescriptor selectedPack(const AppModelState& state)
{
    for (const PackDescriptor& pack : state.availablePacks) {
        if (pack.id == state.selectedPackID)
            return pack;
    }
    return PackDescriptor::tekkit2;
}

LaunchMode selectedLaunchMode(const AppModelState& state)
{
    return selectedPack(state).launchMode;
}

bool selectedPackReady(const AppModelState& state)
{
    const PackDescriptor pack = selectedPack(state);
    if (pack.availability != PackAvailability::available)
        return false;
    if (pack.launchMode == LaunchMode::direct)
        return true;
    return state.inspection && state.inspection->isCertifiedPack;
}

bool canChangeFiles(const AppModelState& state)
{
    return state.handoffReadiness && state.handoffReadiness->canApplyBalanced && !state.busy && !state.observingLaunch;
}

bool workInFlight(const AppModelState& state)
{
    return state.busy || state.primaryActionInFlight || state.observingLaunch || state.updateCheckState.isChecking();
}

bool balancedApplied(const AppModelState& state)
{
    return state.handoffReadiness && state.handoffReadiness->balancedApplied;
}

bool launcherJavaReady(const AppModelState& state, const LauncherJavaProbe& probe)
{
    if (selectedLaunchMode(state) != LaunchMode::companionHandoff)
        return true;
    const auto askProbe = [&probe] { return probe && probe(); };
    if (!state.inspection || !state.inspection->technicApp)
        return askProbe();
    const QString extension = QString::fromStdString(state.inspection->technicApp->extension().string());
    if (extension.toLower() == QLatin1String(".jar"))
        return askProbe();
    return true; // an application bundle brings its own Java
}

std::optional<QString> primaryActionBlockedReason(const AppModelState& state)
{
    const PackDescriptor pack = selectedPack(state);
    if (pack.availability != PackAvailability::available)
        return pack.supportReason;
    if (pack.launchMode != LaunchMode::companionHandoff || !state.handoffReadiness)
        return std::nullopt;
    if (!isSetupStep(state.handoffReadiness->setupKind))
        return std::nullopt;
    return setupGuidance(state, state.handoffReadiness->setupKind);
}

std::optional<HandoffSetupKind> requiredSetupStep(const AppModelState& state)
{
    if (!state.initialInspectionCompleted || selectedLaunchMode(state) != LaunchMode::companionHandoff)
        return std::nullopt;
    if (!state.handoffReadiness || !isSetupStep(state.handoffReadiness->setupKind))
        return std::nullopt;
    return state.handoffReadiness->setupKind;
}

PrimaryActionDisplayState primaryActionDisplayState(const AppModelState& state)
{
    if (state.primaryActionInFlight)
        return state.observingLaunch ? PrimaryActionDisplayState::observing() : PrimaryActionDisplayState::preparing();
    const PackDescriptor pack = selectedPack(state);
    if (pack.availability != PackAvailability::available)
        return PrimaryActionDisplayState::blocked(pack.supportReason);
    const std::optional<QString> reason = primaryActionBlockedReason(state);
    if (reason && requiredSetupStep(state))
        return PrimaryActionDisplayState::blocked(*reason);
    if (state.errorMessage)
        return PrimaryActionDisplayState::failed(*state.errorMessage);
    if (selectedPackReady(state) || state.handoffReadiness)
        return PrimaryActionDisplayState::ready();
    return PrimaryActionDisplayState::inspect();
}

QString primaryActionTitle(const AppModelState& state)
{
    if (!state.primaryActionInFlight) {
        if (const auto step = requiredSetupStep(state))
            return orvane::primaryActionTitle(*step);
    }
    const bool direct = selectedLaunchMode(state) == LaunchMode::direct;
    switch (primaryActionDisplayState(state).kind()) {
    case PrimaryActionDisplayState::Case::blocked: return QStringLiteral("SETUP REQUIRED");
    case PrimaryActionDisplayState::Case::failed: return QStringLiteral("TRY AGAIN");
    case PrimaryActionDisplayState::Case::preparing: return QStringLiteral("PREPARING…");
    case PrimaryActionDisplayState::Case::observing:
        return direct ? QStringLiteral("STARTING…") : QStringLiteral("WATCHING TECHNIC…");
    case PrimaryActionDisplayState::Case::inspect: return QStringLiteral("INSPECT SETUP");
    case PrimaryActionDisplayState::Case::ready:
        if (direct)
            return QStringLiteral("PLAY");
        if (!state.handoffReadiness)
            return QStringLiteral("PREPARE & OPEN TECHNIC");
        return orvane::primaryActionTitle(state.handoffReadiness->setupKind);
    }
    return {};
}

QString primaryActionDetail(const AppModelState& state)
{
    if (!state.primaryActionInFlight) {
        if (const auto step = requiredSetupStep(state))
            return setupGuidance(state, *step);
    }
    const PackDescriptor pack = selectedPack(state);
    const bool direct = pack.launchMode == LaunchMode::direct;
    const PrimaryActionDisplayState display = primaryActionDisplayState(state);
    switch (display.kind()) {
    case PrimaryActionDisplayState::Case::blocked:
    case PrimaryActionDisplayState::Case::failed: return display.text();
    case PrimaryActionDisplayState::Case::preparing:
        return direct ? QStringLiteral("Preparing ") + pack.name + QLatin1Char('.')
                      : QStringLiteral("Verifying setup and preparing a reversible Balanced profile.");
    case PrimaryActionDisplayState::Case::observing:
        return direct ? QStringLiteral("Starting ") + pack.name + QLatin1Char('.')
                      : QStringLiteral("Technic is open. Select ") + pack.name + QStringLiteral(" and press Play there.");
    case PrimaryActionDisplayState::Case::inspect:
        return QStringLiteral("Find and verify the selected pack. Inspection is read-only.");
    case PrimaryActionDisplayState::Case::ready:
        if (direct)
            return QStringLiteral("Start ") + pack.name + QStringLiteral(" directly in Orvane.");
        if (!state.handoffReadiness)
            return QStringLiteral("Back up, apply Balanced, then open official Technic.");
        return setupGuidance(state, state.handoffReadiness->setupKind);
    }
    return {};
}

bool primaryActionEnabled(const AppModelState& state)
{
    switch (primaryActionDisplayState(state).kind()) {
    case PrimaryActionDisplayState::Case::blocked: return requiredSetupStep(state).has_value();
    case PrimaryActionDisplayState::Case::failed:
    case PrimaryActionDisplayState::Case::inspect:
    case PrimaryActionDisplayState::Case::ready: return true;
    case PrimaryActionDisplayState::Case::preparing:
    case PrimaryActionDisplayState::Case::observing: return false;
    }
    return false;
}

QString lastCheckLine(LaunchResultState state)
{
    switch (state) {
    case LaunchResultState::handoffReady: return QStringLiteral("LAST CHECK · HANDOFF READY");
    case LaunchResultState::gameStarted: return QStringLiteral("LAST CHECK · GAME STARTED");
    case LaunchResultState::gameLoaded: return QStringLiteral("LAST CHECK · GAME LOADED");
    case LaunchResultState::failed: return QStringLiteral("LAST CHECK · STARTUP ISSUE DETECTED");
    case LaunchResultState::timedOut: return QStringLiteral("LAST CHECK · STARTUP TIMED OUT");
    case LaunchResultState::cancelled: return QStringLiteral("LAUNCH OBSERVATION CANCELLED.");
    }
    return {};
}

std::optional<QString> lastCheckLine(const AppModelState& state)
{
    if (state.providerLaunchResult && !state.providerLaunchResult->legacyObservation)
        return lastCheckLine(state.providerLaunchResult->state);
    if (state.launchWasCancelled)
        return QStringLiteral("LAUNCH OBSERVATION CANCELLED.");
    if (state.launch)
        return statusLine(state.launch->outcome);
    if (state.persistedLaunchReceipt)
        return statusLine(state.persistedLaunchReceipt->outcome);
    return std::nullopt;
}

bool lastCheckIsProblem(const AppModelState& state)
{
    if (state.providerLaunchResult) {
        const LaunchResultState result = state.providerLaunchResult->state;
        return result == LaunchResultState::failed || result == LaunchResultState::timedOut;
    }
    if (state.launch)
        return isProblem(state.launch->outcome);
    if (state.persistedLaunchReceipt)
        return isProblem(state.persistedLaunchReceipt->outcome);
    return false;
}

QString worldRestorePrompt(const AppModelState& state)
{
    return state.savesBackup ? state.savesBackup->savesRestorePrompt() : BackupManifest::savesRestoreFallbackPrompt();
}

AppStatusLevel statusLevel(const AppModelState& state, const LauncherJavaProbe& probe)
{
    if (state.errorMessage)
        return AppStatusLevel::error;
    if (state.busy || state.observingLaunch)
        return AppStatusLevel::progress;
    if (state.restoreResult && state.restoreResult->needsReapplyForMojangJava)
        return AppStatusLevel::warning;
    if (state.providerLaunchResult) {
        if (state.providerLaunchResult->state == LaunchResultState::failed)
            return AppStatusLevel::error;
        if (state.providerLaunchResult->state == LaunchResultState::timedOut)
            return AppStatusLevel::warning;
    }
    if (state.launch) {
        if (const auto level = outcomeLevel(state.launch->outcome))
            return *level;
    }
    if (state.persistedLaunchReceipt) {
        if (const auto level = outcomeLevel(state.persistedLaunchReceipt->outcome))
            return *level;
    }
    if (selectedLaunchMode(state) == LaunchMode::companionHandoff && state.capability
        && state.capability->architecture == QLatin1String("arm64")) {
        if (!state.capability->rosettaInstalled || !launcherJavaReady(state, probe))
            return AppStatusLevel::warning;
    }
    if (selectedPackReady(state))
        return AppStatusLevel::success;
    if (!state.inspection)
        return AppStatusLevel::neutral;
    return AppStatusLevel::warning;
}

} // namespace orvane::modelGuidance
