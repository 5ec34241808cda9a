#pragma once

#include "technic/LaunchClock.h"

#include <QDateTime>

#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

namespace orvane::test {

// A launch clock that never waits: a sleep moves both clocks forward to its end at once and then
// runs `onSleep` (the per-poll hook: append to logs, change the process answers, request a stop).
// A stop requested before or during the hook makes the sleep report the cancellation.
class FakeLaunchClock final : public LaunchClock {
public:
    explicit FakeLaunchClock(QDateTime date = QDateTime::currentDateTimeUtc());

    TimePoint steadyNow() const override;
    QDateTime currentDate() const override;
    bool sleepUntil(TimePoint until, std::stop_token stop) override;

    // Moves both clocks forward.
    void advance(std::chrono::milliseconds step);
    // Sets the wall clock alone (as when the user or NTP sets the time); the steady clock goes on.
    void setDate(QDateTime date);

    int sleeps() const;
    // How long each sleep was asked to last.
    std::vector<std::chrono::steady_clock::duration> sleepLengths() const;

    // Called after each sleep with its 1-based number.
    std::function<void(int)> onSleep;

private:
    mutable std::mutex m_mutex;
    TimePoint m_steady;
    QDateTime m_date;
    std::vector<std::chrono::steady_clock::duration> m_sleepLengths;
};

} // namespace orvane::test
