#pragma once

#include "app/support/FakeSession.h"
#include "model/LaunchEvent.h"
#include "model/LaunchResult.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace orvane::test {

// A launch for the fake session that behaves like a provider watching the game: it reports its
// events from the pool thread, then blocks until the test finishes it or a cancel stops it (then it
// throws CancellationError, as the session does).
class ScriptedLaunch final {
public:
    // Scripts `session`'s launchSelectedPack and cancelActiveLaunch with this launch.
    void install(FakeSession& session);

    void setEvents(std::vector<LaunchEvent> events);
    // Lets a blocked launch return `result`.
    void finish(const LaunchResult& result);

    // Test side: the launch has reported its events and blocks. (Tests wait for it with the event loop
    // running, since the model reaches the launch through several resumptions on the main thread.)
    bool blocked() const;
    int cancelCalls() const;
    bool returned() const;

    // Session side.
    LaunchResult launch(const LaunchEventHandler& onEvent);
    bool cancel();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<LaunchEvent> m_events;
    std::optional<LaunchResult> m_result;
    bool m_blocked = false;
    bool m_cancelled = false;
    bool m_returned = false;
    int m_cancelCalls = 0;
};

// An event of the certified pack through the official provider.
LaunchEvent sampleEvent(const QUuid& operation, LaunchEventKind kind, const QString& message);

} // namespace orvane::test
