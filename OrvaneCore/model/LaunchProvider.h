#pragma once

#include "model/LaunchEvent.h"
#include "model/LaunchMode.h"
#include "model/LaunchProviderID.h"
#include "model/LaunchResult.h"
#include "model/PackLaunchRequest.h"

#include <functional>
#include <stop_token>

namespace orvane {

// Receives one live event. It returns only after the session has judged and delivered the event,
// so a provider's events arrive in the order it reported them.
using LaunchEventHandler = std::function<void(const LaunchEvent&)>;

// Whatever starts a pack. Every event and the result carry the request's operationID, the
// provider's id and the pack's id; every event of the result was first reported through the handler.
class LaunchProvider {
public:
    virtual ~LaunchProvider() = default;

    // Must equal the pack's providerID.
    virtual LaunchProviderID id() const = 0;
    // Must equal the pack's launchMode.
    virtual LaunchMode mode() const = 0;
    // Blocking; runs on a worker thread. Reports zero or more events through `onEvent`, then returns
    // one result or throws (LaunchProviderError, CancellationError when `stop` is requested, or others).
    //
    // A provider may report from a std::stop_callback on `stop` (a `cancelled` event, say). Such a
    // callback runs on whichever thread requests the stop: the session never holds its lock while it
    // requests a stop or while any provider code runs, so `onEvent` may always be called there. Events
    // reported after a cancel are dropped, not judged. The requesting thread may be launch()'s own (a
    // handler that cancels), so a callback never waits for launch() to do anything.
    virtual LaunchResult launch(const PackLaunchRequest& request, const LaunchEventHandler& onEvent,
                                std::stop_token stop) = 0;

protected:
    LaunchProvider() = default;
    LaunchProvider(const LaunchProvider&) = default;
    LaunchProvider& operator=(const LaunchProvider&) = default;
};

} // namespace orvane
