#pragma once

#include <functional>

namespace orvane::test {

// Runs the main thread's event loop until `done` holds (true) or the deadline passes (false).
// Coroutines of the model resume through queued events, so their tests wait with this, never a sleep.
bool runEventsUntil(const std::function<bool()>& done, int timeoutMs = 10000);

} // namespace orvane::test
