#pragma once

#include "model/LaunchObservation.h"
#include "model/LaunchResult.h"
#include "records/LaunchReceipt.h"

#include <optional>

namespace orvane::test {

// A Tekkit 2 handoff result in `state`, with a legacy observation when one is given.
LaunchResult sampleLaunchResult(LaunchResultState state,
                                std::optional<LaunchObservation> legacyObservation = std::nullopt);
LaunchObservation sampleObservation(LaunchOutcome outcome);
LaunchReceipt sampleReceipt(LaunchOutcome outcome);

} // namespace orvane::test
