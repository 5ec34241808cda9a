#pragma once

#include "model/CapabilityReport.h"
#include "model/HandoffReadinessReport.h"
#include "model/InstallInspection.h"
#include "model/OverlayPlan.h"
#include "technic/LauncherJavaReadiness.h"

#include <QString>

#include <optional>
#include <vector>

namespace orvane {

// Decides, from what the session gathered, whether official Technic can be opened, Balanced applied
// and Play pressed, which setup step comes next and what the user must do. Pure: reads no file and
// starts no process.
namespace HandoffPreflight {

// `launcherJava` is the check of the Java that runs a JAR launcher (none when not checked);
// `archiveAllowed` is false for an auto-discovered archive copy the user did not choose. Never throws.
HandoffReadinessReport evaluate(const CapabilityReport& capability, const InstallInspection& inspection,
                                const std::optional<OverlayPlan>& plan,
                                const std::optional<LauncherJavaReadiness>& launcherJava, bool technicRunning,
                                bool minecraftRunning, bool archiveAllowed);

// The instance holds the plan's heap, options, launcher memory id (when the data folder is known)
// and the Use Mojang Java value the plan asks for.
bool isBalancedApplied(const InstallInspection& inspection, const OverlayPlan& plan);

// The texts without repeats, each kept where it first occurs.
std::vector<QString> uniqued(const std::vector<QString>& texts);

// The primary button title, the guidance sentence and whether a setup step is pending.
QString actionTitle(HandoffSetupKind kind);
QString summary(HandoffSetupKind kind);
bool needsSetup(HandoffSetupKind kind);

} // namespace HandoffPreflight

} // namespace orvane
