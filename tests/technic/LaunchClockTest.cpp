#include "technic/LaunchClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

using namespace orvane;
using namespace std::chrono_literals;

TEST(LaunchClock, SleepEndsAtOnceWhenStopIsRequested)
{
    SystemLaunchClock clock;
    std::stop_source source;
    const auto began = std::chrono::steady_clock::now();
    std::jthread canceller([&] {
        std::this_thread::sleep_for(50ms);
        source.request_stop();
    });
    EXPECT_FALSE(clock.sleepUntil(clock.steadyNow() + 30s, source.get_token()));
    EXPECT_LT(std::chrono::steady_clock::now() - began, 10s);
}

TEST(LaunchClock, SleepLastsUntilItsTimeWithoutAStop)
{
    SystemLaunchClock clock;
    std::stop_source source;
    const auto until = clock.steadyNow() + 30ms;
    EXPECT_TRUE(clock.sleepUntil(until, source.get_token()));
    EXPECT_GE(clock.steadyNow(), until);
    source.request_stop();
    EXPECT_FALSE(clock.sleepUntil(clock.steadyNow() + 30s, source.get_token()));
}

TEST(LaunchClock, OddTimeoutsNeverOverflow)
{
    EXPECT_EQ(durationFromSeconds(0), std::chrono::steady_clock::duration::zero());
    EXPECT_EQ(durationFromSeconds(-5), std::chrono::steady_clock::duration::zero());
    EXPECT_EQ(durationFromSeconds(std::nan("")), std::chrono::steady_clock::duration::zero());
    EXPECT_EQ(durationFromSeconds(180), std::chrono::steady_clock::duration(180s));
    EXPECT_EQ(durationFromSeconds(std::numeric_limits<double>::infinity()),
              durationFromSeconds(365.0 * 24 * 60 * 60));
}
