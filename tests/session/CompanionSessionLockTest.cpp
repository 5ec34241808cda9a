#include "session/CompanionSession.h"

#include "model/OrvaneError.h"
#include "session/OverlayFiles.h"
#include "session/SessionHarness.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

using namespace orvane;
using namespace orvane::test;

namespace {

using std::chrono::milliseconds;

// The lock held by another worker (through the world store, so the stores' sharing shows) until the
// test ends.
class HeldElsewhere final {
public:
    explicit HeldElsewhere(const FixtureHome& home)
        : m_worker([this, &home, released = m_release.get_future()] {
            const BackupStore world(home.paths().backups / "saves", FileOperations::system(),
                                    home.paths().applicationSupport / "tmp");
            const StoreLock held = world.lock();
            m_taken.set_value();
            released.wait();
        })
    {
        m_taken.get_future().wait();
    }
    ~HeldElsewhere()
    {
        m_release.set_value();
        m_worker.join();
    }

private:
    std::promise<void> m_taken;
    std::promise<void> m_release;
    std::thread m_worker;
};

} // namespace

TEST(CompanionSessionLock, EveryOperationThatChangesFilesWaitsForAnotherOrvaneAndThenRefusesChangingNothing)
{
    const std::vector<std::pair<const char*, std::function<void(CompanionSession&)>>> operations{
        {"applyBalanced", [](CompanionSession& s) { s.applyBalanced(); }},
        {"createManualSnapshot", [](CompanionSession& s) { s.createManualSnapshot(); }},
        {"restoreOverlay", [](CompanionSession& s) { s.restoreOverlay(); }},
        {"backUpWorlds", [](CompanionSession& s) { s.backUpWorlds(); }},
        {"restoreWorlds", [](CompanionSession& s) { s.restoreWorlds(); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        FixtureHome home;
        SessionHarness harness;
        harness.labInstance = home.instanceRoot();
        int pauses = 0;
        std::chrono::steady_clock::time_point time{};
        harness.storeLockPatience = {milliseconds(3000), milliseconds(100), [&] { return time; },
                                     [&](milliseconds step) {
                                         ++pauses;
                                         time += step;
                                     }};
        const auto session = harness.build(home);
        // What an Apply killed midway left: removing it is a change, so it stays too.
        const auto leftover = home.instanceRoot() / ".options.txt.orvane-tmp-AbC123";
        writeFile(leftover, "half");

        const HeldElsewhere held(home);
        const auto before = treeState(home.root());
        try {
            operation(*session);
            ADD_FAILURE() << "no refusal";
        } catch (const OrvaneError& error) {
            EXPECT_EQ(error.kind(), OrvaneError::Kind::io);
            EXPECT_EQ(error.description(),
                      QStringLiteral("Another Orvane is working on these backups. Nothing was changed."));
        }
        EXPECT_EQ(pauses, 30);
        EXPECT_EQ(treeState(home.root()), before);
    }
}
