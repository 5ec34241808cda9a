#pragma once

#include "model/LaunchEvent.h"

#include <mutex>
#include <vector>

namespace orvane {

// The events one provider launch has reported, in reporting order. Safe to use from several
// threads: appends and reads are serialised.
class LaunchEventLog final {
public:
    void append(const LaunchEvent& event);
    // A copy of the events in the order they were appended.
    std::vector<LaunchEvent> events() const;

private:
    mutable std::mutex m_mutex;
    std::vector<LaunchEvent> m_events;
};

} // namespace orvane
