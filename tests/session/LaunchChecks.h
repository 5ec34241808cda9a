#pragma once

// Checks the launch tests share: the kinds of the events delivered, the text a call throws, and a
// session left as it was.

#include "session/CompanionSession.h"

#include "json/DescribedError.h"

#include <gtest/gtest.h>

#include <QString>

#include <exception>
#include <functional>
#include <optional>
#include <vector>

namespace orvane::test {

inline std::vector<LaunchEventKind> kinds(const std::vector<LaunchEvent>& events)
{
    std::vector<LaunchEventKind> result;
    for (const auto& event : events)
        result.push_back(event.kind);
    return result;
}

// The text of whatever `run` throws; empty when it returns.
inline QString errorText(const std::function<void()>& run)
{
    try {
        run();
    } catch (const std::exception& error) {
        return describe(error);
    }
    return {};
}

// Nothing of a refused or cancelled launch is kept, and the session is idle again.
inline void expectNothingStored(const CompanionSession& session)
{
    EXPECT_EQ(session.lastLaunchResult(), std::nullopt);
    EXPECT_EQ(session.lastLaunch(), std::nullopt);
    EXPECT_EQ(session.lastLaunchReceipt(), std::nullopt);
}

inline void expectIdle(CompanionSession& session)
{
    EXPECT_FALSE(session.cancelActiveLaunch());
}

} // namespace orvane::test
