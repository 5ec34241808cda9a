#include "technic/LaunchClock.h"

#include <condition_variable>
#include <mutex>

namespace orvane {

std::shared_ptr<LaunchClock> LaunchClock::system()
{
    static const std::shared_ptr<LaunchClock> clock = std::make_shared<SystemLaunchClock>();
    return clock;
}

LaunchClock::TimePoint SystemLaunchClock::steadyNow() const
{
    return std::chrono::steady_clock::now();
}

QDateTime SystemLaunchClock::currentDate() const
{
    return QDateTime::currentDateTimeUtc();
}

bool SystemLaunchClock::sleepUntil(TimePoint until, std::stop_token stop)
{
    // Nobody notifies this variable: the stop token's callback wakes the wait, and the predicate
    // keeps spurious wake-ups from ending the sleep early.
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    wake.wait_until(lock, stop, until, [] { return false; });
    return !stop.stop_requested();
}

std::chrono::steady_clock::duration durationFromSeconds(double seconds)
{
    constexpr double year = 365.0 * 24 * 60 * 60;
    if (!(seconds > 0))
        return std::chrono::steady_clock::duration::zero();
    const double held = seconds < year ? seconds : year;
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(held));
}

} // namespace orvane
