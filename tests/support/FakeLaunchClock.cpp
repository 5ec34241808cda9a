#include "support/FakeLaunchClock.h"

namespace orvane::test {

FakeLaunchClock::FakeLaunchClock(QDateTime date) : m_steady(std::chrono::hours(1000)), m_date(std::move(date)) {}

LaunchClock::TimePoint FakeLaunchClock::steadyNow() const
{
    const std::lock_guard lock(m_mutex);
    return m_steady;
}

QDateTime FakeLaunchClock::currentDate() const
{
    const std::lock_guard lock(m_mutex);
    return m_date;
}

bool FakeLaunchClock::sleepUntil(TimePoint until, std::stop_token stop)
{
    if (stop.stop_requested())
        return false;
    int number = 0;
    {
        const std::lock_guard lock(m_mutex);
        const auto length = until > m_steady ? until - m_steady : std::chrono::steady_clock::duration::zero();
        m_sleepLengths.push_back(until - m_steady);
        m_steady += length;
        m_date = m_date.addMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(length).count());
        number = int(m_sleepLengths.size());
    }
    if (onSleep)
        onSleep(number);
    return !stop.stop_requested();
}

void FakeLaunchClock::advance(std::chrono::milliseconds step)
{
    const std::lock_guard lock(m_mutex);
    m_steady += step;
    m_date = m_date.addMSecs(step.count());
}

void FakeLaunchClock::setDate(QDateTime date)
{
    const std::lock_guard lock(m_mutex);
    m_date = std::move(date);
}

int FakeLaunchClock::sleeps() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_sleepLengths.size());
}

std::vector<std::chrono::steady_clock::duration> FakeLaunchClock::sleepLengths() const
{
    const std::lock_guard lock(m_mutex);
    return m_sleepLengths;
}

} // namespace orvane::test
