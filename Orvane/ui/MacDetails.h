#pragma once

#include "model/CapabilityReport.h"
#include "ui/DetailRowText.h"

#include <optional>

namespace orvane::MacDetails {

// The four THIS MAC rows: Chip, Architecture, Rosetta and Launcher Java.
DetailRowTexts rows(const std::optional<CapabilityReport>& capability, bool launcherJavaReady);

} // namespace orvane::MacDetails
