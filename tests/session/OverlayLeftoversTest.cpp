#include "session/CompanionSession.h"

#include "session/SessionHarness.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;

namespace {

constexpr int kKilled = 86;

// Every temporary file of an atomic write anywhere below `folder`.
std::vector<std::filesystem::path> temporaryFilesBelow(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->path().filename().native().find(".orvane-tmp-") != std::string::npos)
            found.push_back(it->path());
    }
    return found;
}

// Applies Balanced in a child process that ends abruptly inside the atomic write of `fileName`: its
// temporary file made, nothing renamed.
bool applyKilledWriting(const FixtureHome& home, const std::string& fileName)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            auto files = std::make_shared<FaultyFileOperations>();
            files->beforeEach = [&](FaultyFileOperations::Op op, const std::filesystem::path& path) {
                if (op == FaultyFileOperations::Op::writeAtomically && path.filename() == fileName) {
                    leaveAtomicWriteTemporary(path);
                    ::_exit(kKilled);
                }
            };
            SessionHarness harness;
            harness.labInstance = home.instanceRoot();
            harness.files = files;
            harness.build(home)->applyBalanced();
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == kKilled;
}

} // namespace

TEST(OverlayLeftovers, AnApplyKilledInsideAWriteLeavesNoTemporaryFileAfterTheNextApplyOrRestore)
{
    struct Case {
        const char* killedWriting;
        bool nextIsRestore;
    };
    const Case cases[] = {
        {"options.txt", false},
        {"runData", true},
        {"settings.json", false},
        {"settings.json", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.killedWriting) + (c.nextIsRestore ? ", then an overlay restore" : ", then Apply"));
        FixtureHome home;
        ASSERT_TRUE(applyKilledWriting(home, c.killedWriting));
        ASSERT_EQ(temporaryFilesBelow(home.home()).size(), 1u);
        // Someone's link of the same shape is not ours: it stays.
        const auto link = home.instanceRoot() / ".options.txt.orvane-tmp-THEIRS";
        std::filesystem::create_symlink(home.instanceRoot() / "options.txt", link);

        SessionHarness harness;
        harness.labInstance = home.instanceRoot();
        const auto session = harness.build(home);
        if (c.nextIsRestore)
            session->restoreOverlay();
        else
            session->applyBalanced();
        EXPECT_EQ(temporaryFilesBelow(home.home()), std::vector<std::filesystem::path>{link});
    }
}
