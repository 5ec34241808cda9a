#pragma once

#include "model/LaunchEvent.h"
#include "model/LaunchProvider.h"
#include "model/LaunchResult.h"
#include "model/PackLaunchRequest.h"

#include <vector>

namespace orvane {

// The checks a provider's returned result must pass before the session stores it. A provider is
// outside code: nothing it returns is taken on trust.

// Throws LaunchProviderError::invalidResult with the first failing check's reason: the identities
// (operation, pack, provider, mode) against the request and `provider`, the start and finish times,
// the result message, then every event in order (identities, message, unique id, time within
// [startedAt, finishedAt] and not before the previous one, nothing after a terminal event), and
// last that the final event is terminal and matches the result's state.
void validateLaunchResult(const LaunchResult& result, const PackLaunchRequest& request,
                          const LaunchProvider& provider);

// True when `live` (the events accepted while the launch ran) is a prefix of `resultEvents`, every
// field equal; the result may carry more events after them, never fewer.
bool liveEventsMatchResult(const std::vector<LaunchEvent>& live, const std::vector<LaunchEvent>& resultEvents);

} // namespace orvane
