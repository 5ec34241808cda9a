#pragma once

#include "app/AppSeams.h"
#include "model/AppModelState.h"
#include "model/AppStatusLevel.h"
#include "model/PrimaryActionDisplayState.h"

#include <QString>

#include <optional>

// What the window shows besides the stored state: the selected pack and its readiness, whether the
// file tools may run, the primary button's state, title, detail and enablement, the pending setup step,
// the LAST CHECK line, the world-restore confirmation and the status level. Each is a pure function of
// the model's state, recomputed on every read (the launcher Java probe reads the disk each time it is
// reached).
namespace orvane::modelGuidance {

// The entry of availablePacks with the selected id; the default Tekkit 2 descriptor when none has it.
PackDescriptor selectedPack(const AppModelState& state);
LaunchMode selectedLaunchMode(const AppModelState& state);
bool selectedPackReady(const AppModelState& state);
bool canChangeFiles(const AppModelState& state);
// Whether an operation, a launch watch or an update check runs: what it disabled comes back when it ends.
bool workInFlight(const AppModelState& state);
bool balancedApplied(const AppModelState& state);
// The probe is asked only for a handoff pack whose launcher is a JAR or not known yet.
bool launcherJavaReady(const AppModelState& state, const LauncherJavaProbe& probe);
std::optional<QString> primaryActionBlockedReason(const AppModelState& state);
// A pending setup step (not applyBalanced or ready), after the first inspection only.
std::optional<HandoffSetupKind> requiredSetupStep(const AppModelState& state);
PrimaryActionDisplayState primaryActionDisplayState(const AppModelState& state);
QString primaryActionTitle(const AppModelState& state);
QString primaryActionDetail(const AppModelState& state);
bool primaryActionEnabled(const AppModelState& state);
std::optional<QString> lastCheckLine(const AppModelState& state);
bool lastCheckIsProblem(const AppModelState& state);
QString worldRestorePrompt(const AppModelState& state);
AppStatusLevel statusLevel(const AppModelState& state, const LauncherJavaProbe& probe);

// The LAST CHECK line of a provider result's state (an observed outcome's is statusLine(outcome)).
QString lastCheckLine(LaunchResultState state);

} // namespace orvane::modelGuidance
