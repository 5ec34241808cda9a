#include "model/LaunchEventLog.h"

namespace orvane {

void LaunchEventLog::append(const LaunchEvent& event)
{
    const std::lock_guard lock(m_mutex);
    m_events.push_back(event);
}

std::vector<LaunchEvent> LaunchEventLog::events() const
{
    const std::lock_guard lock(m_mutex);
    return m_events;
}

} // namespace orvane
