#pragma once

#include "model/CapabilityReport.h"
#include "ui/details/DetailRowText.h"

#include <optional>

namespace orvane::MacDetails {

// The four THIS MAC rows: Chip, Architecture, Rosetta and Launcher Java. The Java row names arm64
// only on a host whose launcher Java must be arm64.
DetailRowTexts rows(const std::optional<CapabilityReport>& capability, bool launcherJavaReady,
                    const QString& hostArchitecture);

} // namespace orvane::MacDetails
