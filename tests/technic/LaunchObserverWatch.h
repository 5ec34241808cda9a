#pragma once

#include "technic/LaunchObserver.h"

#include "support/FakeLaunchClock.h"
#include "support/FakeProcessInspector.h"
#include "support/FakeStartedProcess.h"
#include "support/FixtureHome.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <stop_token>
#include <utility>

namespace orvane::test::launchObserver {

using Answers = FakeProcessInspector::Answers;

// A real-shaped sample of tests/fixtures/technic.
inline QByteArray sample(const char* relative)
{
    return readFile(std::filesystem::path(ORVANE_TEST_FIXTURES) / "technic" / relative);
}

// `text` up to the start of the line holding `marker`, or `into` bytes into the marker; and the rest.
inline std::pair<QByteArray, QByteArray> splitAt(const QByteArray& text, const char* marker, qsizetype into = 0)
{
    const qsizetype at = text.indexOf(marker);
    EXPECT_GE(at, 0) << marker;
    const qsizetype lineStart = into == 0 ? text.lastIndexOf('\n', at) + 1 : at + into;
    return {text.left(lineStart), text.mid(lineStart)};
}

const QByteArray forgeLine = "[10:04:31] [Client thread/INFO] [FML]: Forge Mod Loader has successfully loaded 181 mods\n";

// A watch over a fixture home with a scripted process table and a clock that never waits. The
// hooks run after the given sleep (the per-poll hook): they play the launcher and the game writing.
struct Watch {
    explicit Watch(std::vector<Answers> script = {FakeProcessInspector::technicApp()})
        : processes(std::make_shared<FakeProcessInspector>(std::move(script))),
          clock(std::make_shared<FakeLaunchClock>())
    {
        clock->onSleep = [this](int number) {
            processes->nextPoll();
            if (const auto hook = hooks.find(number); hook != hooks.end())
                hook->second();
        };
    }

    LaunchObservation observe(double timeout = 180, bool withInstance = true, bool withData = true)
    {
        const LaunchObserver observer(processes, timeout, clock, launcher, hostArchitecture);
        return observer.observe(withInstance ? std::optional(home.instanceRoot()) : std::nullopt,
                                withData ? std::optional(home.dataRoot()) : std::nullopt, stop.get_token());
    }

    // Runs `step` after sleep `number`, after what already runs then.
    void after(int number, std::function<void()> step)
    {
        auto& hook = hooks[number];
        hook = [before = std::move(hook), step = std::move(step)] {
            if (before)
                before();
            step();
        };
    }

    std::filesystem::path gameLog() const { return home.instanceRoot() / "logs" / "fml-client-latest.log"; }
    std::filesystem::path latestLog() const { return home.instanceRoot() / "logs" / "latest.log"; }
    std::filesystem::path crashReport(const char* name = "crash-2026-12-09_10.05.12-client.txt") const
    {
        return home.instanceRoot() / "crash-reports" / name;
    }
    std::filesystem::path launcherLog(const char* name = "techniclauncher_2026-12-09.log") const
    {
        return home.dataRoot() / "logs" / name;
    }

    FixtureHome home;
    std::shared_ptr<FakeProcessInspector> processes;
    std::shared_ptr<FakeLaunchClock> clock;
    std::stop_source stop;
    std::map<int, std::function<void()>> hooks;
    // The launcher the open started, when it started one.
    std::shared_ptr<FakeStartedProcess> launcher;
    // This machine's architecture as the watch is told it.
    QString hostArchitecture = orvane::hostArchitecture();
};


} // namespace orvane::test::launchObserver
