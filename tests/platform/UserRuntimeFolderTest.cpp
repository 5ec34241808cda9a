#include "platform/PathText.h"
#include "platform/UserRuntimeFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using orvane::test::TempDir;

namespace {

mode_t modeOf(const std::filesystem::path& path)
{
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

} // namespace

TEST(UserRuntimeFolder, IsThePrivateSessionFolderWhenTrustworthyElseAPrivateFolderOfOurOwnAndNeverALink)
{
    const std::string own = "tmp/orvane-" + std::to_string(::geteuid());
    enum class Planted { nothing, wideFolder, link, file };
    struct Case {
        const char* name;
        const char* runtime;  // XDG_RUNTIME_DIR below the temporary folder ("" unset); "/" prefix: absolute
        int runtimeMode;      // of a folder made there; 0: none made
        Planted planted;      // what already stands at the private folder's place
        const char* expected; // below the temporary folder; nullptr: refused
    };
    const Case cases[] = {
        {"a private runtime folder", "/run", 0700, Planted::nothing, "run/orvane"},
        {"a runtime folder others may read but not write", "/run", 0755, Planted::nothing, "run/orvane"},
        {"no runtime folder named", "", 0, Planted::nothing, own.c_str()},
        {"a relative runtime folder", "run", 0700, Planted::nothing, own.c_str()},
        {"a runtime folder anyone may write to", "/run", 0777, Planted::nothing, own.c_str()},
        {"a runtime folder that is missing", "/run", 0, Planted::nothing, own.c_str()},
        {"an earlier private folder left too wide", "", 0, Planted::wideFolder, own.c_str()},
        {"a link planted at the private folder's place", "", 0, Planted::link, nullptr},
        {"a file planted at the private folder's place", "", 0, Planted::file, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directories(dir / "tmp");
        ProcessEnvironment environment{{QStringLiteral("TMPDIR"), pathText(dir / "tmp")}};
        const std::string runtime = c.runtime;
        if (!runtime.empty()) {
            const bool absolute = runtime.front() == '/';
            environment[QStringLiteral("XDG_RUNTIME_DIR")]
                = absolute ? pathText(dir.path().native() + runtime) : QString::fromStdString(runtime);
            if (c.runtimeMode != 0) {
                std::filesystem::create_directory(dir / "run");
                ::chmod((dir / "run").c_str(), mode_t(c.runtimeMode));
            }
        }
        const std::filesystem::path place = dir / own;
        if (c.planted == Planted::wideFolder) {
            std::filesystem::create_directory(place);
            ::chmod(place.c_str(), 0777);
        } else if (c.planted == Planted::link) {
            std::filesystem::create_directory(dir / "elsewhere");
            std::filesystem::create_directory_symlink(dir / "elsewhere", place);
        } else if (c.planted == Planted::file) {
            test::writeFile(place, "x");
        }

        if (!c.expected) {
            EXPECT_THROW(userRuntimeFolder(environment, QStringLiteral("orvane")), std::system_error);
            continue;
        }
        const std::filesystem::path folder = userRuntimeFolder(environment, QStringLiteral("orvane"));
        EXPECT_EQ(folder, dir / c.expected);
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::symlink_status(folder)));
        EXPECT_EQ(modeOf(folder), 0700u);
    }
}
