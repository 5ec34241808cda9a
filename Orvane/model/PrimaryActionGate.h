#pragma once

#include "model/HandoffReadinessReport.h"
#include "model/InstallInspection.h"

#include <QString>

#include <functional>
#include <optional>

namespace orvane {

// What the primary action does once the install has passed the readiness gate.
enum class PrimaryActionStep {
    applyThenOpen, // back up and apply Balanced, then open Technic
    open,          // Balanced is already applied: open Technic at once
};

// The launcher Java check's issue, or nothing when that Java is usable. Asked only when the report
// says the launcher's Java is the pending step.
using LauncherJavaIssue = std::function<std::optional<QString>()>;

// Decides, from the latest inspection and readiness report, whether the primary action may go on;
// throws the OrvaneError whose sentence tells the user why not. The first rule that applies decides.
// `hostArchitecture` names the launcher's Java when its check gives no issue of its own.
PrimaryActionStep primaryActionGate(const std::optional<InstallInspection>& inspection,
                                    const HandoffReadinessReport& report,
                                    const LauncherJavaIssue& launcherJavaIssue, const QString& hostArchitecture);

// The refusal while the launcher's Java is the pending step: the check's issue, else a sentence that
// names arm64 only on a host whose launcher Java must be arm64.
QString launcherJavaRefusal(const std::optional<QString>& issue, const QString& hostArchitecture);

} // namespace orvane
