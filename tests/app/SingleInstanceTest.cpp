#include "app/SingleInstance.h"
#include "app/support/EventLoop.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <functional>
#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace orvane {
namespace {

using test::TempDir;

// A socket file whose listener is gone, as an Orvane killed with -9 leaves it.
void leaveDeadSocket(const std::filesystem::path& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.native().size(), sizeof address.sun_path);
    path.native().copy(address.sun_path, path.native().size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    ::close(fd);
}

bool isSocket(const std::filesystem::path& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

TEST(SingleInstance, AStartBecomesTheFirstUnlessALiveOrvaneListensWhichItAsksToComeToTheFront)
{
    struct Case {
        const char* name;
        // What an earlier Orvane left in the folder; may keep a live one in `running`.
        std::function<void(const std::filesystem::path& socket, std::unique_ptr<SingleInstance>& running)> before;
        SingleInstance::Claim expected;
    };
    const Case cases[] = {
        {"nothing there", [](const std::filesystem::path&, std::unique_ptr<SingleInstance>&) {},
         SingleInstance::Claim::first},
        {"a live Orvane",
         [](const std::filesystem::path& socket, std::unique_ptr<SingleInstance>& running) {
             running = std::make_unique<SingleInstance>(socket.parent_path());
             ASSERT_EQ(running->claim(), SingleInstance::Claim::first);
         },
         SingleInstance::Claim::handedOver},
        {"the socket of an Orvane killed with -9",
         [](const std::filesystem::path& socket, std::unique_ptr<SingleInstance>&) { leaveDeadSocket(socket); },
         SingleInstance::Claim::first},
        {"a plain file at the socket's name",
         [](const std::filesystem::path& socket, std::unique_ptr<SingleInstance>&) { test::writeFile(socket, "x"); },
         SingleInstance::Claim::first},
        {"an Orvane that has quit",
         [](const std::filesystem::path& socket, std::unique_ptr<SingleInstance>&) {
             SingleInstance earlier(socket.parent_path());
             ASSERT_EQ(earlier.claim(), SingleInstance::Claim::first);
         },
         SingleInstance::Claim::first},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::unique_ptr<SingleInstance> running;
        SingleInstance later(dir.path());
        c.before(later.socketPath(), running);
        std::unique_ptr<QSignalSpy> raised;
        if (running)
            raised = std::make_unique<QSignalSpy>(running.get(), &SingleInstance::activationRequested);

        EXPECT_EQ(later.claim(), c.expected);

        if (c.expected == SingleInstance::Claim::first) {
            EXPECT_TRUE(isSocket(later.socketPath()));
            // Now the first in turn: a further start hands over to it.
            QSignalSpy laterRaised(&later, &SingleInstance::activationRequested);
            SingleInstance further(dir.path());
            EXPECT_EQ(further.claim(), SingleInstance::Claim::handedOver);
            EXPECT_TRUE(test::runEventsUntil([&] { return laterRaised.count() == 1; }));
        } else {
            ASSERT_TRUE(raised);
            EXPECT_TRUE(test::runEventsUntil([&] { return raised->count() == 1; }));
        }
    }
}

} // namespace
} // namespace orvane
