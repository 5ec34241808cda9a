#pragma once

#include <QDateTime>

#include <chrono>
#include <memory>
#include <stop_token>

namespace orvane {

// Time as a launch sees it: a steady clock for deadlines and polling (immune to the wall clock
// being set), the wall clock for the dates recorded in events and results, and a sleep that a
// cancellation ends at once. Tests replace it so that a three-minute watch runs instantly.
class LaunchClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~LaunchClock() = default;

    virtual TimePoint steadyNow() const = 0;
    // The current date in UTC.
    virtual QDateTime currentDate() const = 0;
    // Sleeps until `until`. Returns false as soon as `stop` is requested (also when it already was),
    // true when the time came.
    virtual bool sleepUntil(TimePoint until, std::stop_token stop) = 0;

    // The process-wide real clock.
    static std::shared_ptr<LaunchClock> system();

protected:
    LaunchClock() = default;
    LaunchClock(const LaunchClock&) = default;
    LaunchClock& operator=(const LaunchClock&) = default;
};

// The machine's clocks; the sleep waits on a condition variable tied to the stop token.
class SystemLaunchClock final : public LaunchClock {
public:
    TimePoint steadyNow() const override;
    QDateTime currentDate() const override;
    bool sleepUntil(TimePoint until, std::stop_token stop) override;
};

// `seconds` as a steady duration: NaN and values at or below zero give zero, and huge values are
// held to a year, so a caller's odd timeout can never overflow the clock arithmetic.
std::chrono::steady_clock::duration durationFromSeconds(double seconds);

} // namespace orvane
