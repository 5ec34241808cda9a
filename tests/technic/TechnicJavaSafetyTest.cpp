#include "technic/TechnicJavaSafety.h"

#include "platform/FileOperations.h"
#include "support/FaultyFileOperations.h"
#include "support/FixtureHome.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

using namespace orvane;
using namespace orvane::test;
namespace Safety = orvane::TechnicJavaSafety;

namespace {

FixtureHome::Options withLink()
{
    FixtureHome::Options options;
    options.jreLegacyLinkIntoUserJDK = true;
    return options;
}

bool isLink(const std::filesystem::path& path)
{
    return std::filesystem::is_symlink(std::filesystem::symlink_status(path));
}

} // namespace

TEST(TechnicJavaSafety, IssueListOrder)
{
    FixtureHome linked(withLink());
    const std::optional<std::filesystem::path> root = linked.dataRoot();
    EXPECT_EQ(Safety::issues(root, false, true),
              (QStringList{Safety::jreLegacySymlinkMessage, Safety::mojangJavaOffMessage}));
    EXPECT_EQ(Safety::issues(root, true, true), QStringList{Safety::jreLegacySymlinkMessage});
    EXPECT_EQ(Safety::issues(root, true, false),
              (QStringList{Safety::jreLegacySymlinkMessage, Safety::rosettaMissingMessage,
                           Safety::mojangJavaWithoutRosettaMessage}));

    EXPECT_EQ(Safety::issues(std::nullopt, std::nullopt, false), QStringList{Safety::rosettaMissingMessage});
    EXPECT_EQ(Safety::issues(std::nullopt, false, false), QStringList{Safety::rosettaMissingMessage});
    EXPECT_TRUE(Safety::issues(std::nullopt, std::nullopt, true).isEmpty());
}

TEST(TechnicJavaSafety, MessagesUseTypographicApostrophes)
{
    EXPECT_TRUE(Safety::rosettaMissingMessage.contains(QStringLiteral("1.12.2\u2019s LWJGL")));
    EXPECT_TRUE(Safety::mojangJavaWithoutRosettaMessage.contains(QStringLiteral("Technic\u2019s Intel Java 8")));
    EXPECT_FALSE(Safety::mojangJavaOffMessage.contains(QLatin1Char('\'')));
}

TEST(TechnicJavaSafety, RemovesOnlyALinkIntoAUserJdk)
{
    FixtureHome home(withLink());
    auto& files = *FileOperations::system();
    const auto link = Safety::jreBundlePath(home.dataRoot());
    const auto jdk = std::filesystem::read_symlink(link);
    ASSERT_TRUE(Safety::isSymlinkIntoUserJDK(link));

    EXPECT_TRUE(Safety::removeUserJDKSymlink(home.dataRoot(), files));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    EXPECT_TRUE(std::filesystem::is_directory(jdk)); // the target is untouched
    EXPECT_FALSE(Safety::removeUserJDKSymlink(home.dataRoot(), files));

    // A link elsewhere, or a real folder, is left alone.
    std::filesystem::create_directory_symlink(home.root() / "runtime", link);
    EXPECT_FALSE(Safety::removeUserJDKSymlink(home.dataRoot(), files));
    EXPECT_TRUE(isLink(link));
    std::filesystem::remove(link);
    std::filesystem::create_directories(link / "Contents");
    EXPECT_FALSE(Safety::isSymlinkIntoUserJDK(link));
    EXPECT_FALSE(Safety::removeUserJDKSymlink(home.dataRoot(), files));
    EXPECT_TRUE(std::filesystem::is_directory(link / "Contents"));
}

TEST(TechnicJavaSafety, LinkAlreadyGoneCountsAsRemoved)
{
    FixtureHome home(withLink());
    const auto link = Safety::jreBundlePath(home.dataRoot());
    FaultyFileOperations files;
    // Another caller removes the link between our check and our removal.
    files.beforeEach = [&](FaultyFileOperations::Op op, const std::filesystem::path& path) {
        if (op == FaultyFileOperations::Op::removeFile && path == link)
            std::filesystem::remove(link);
    };
    EXPECT_TRUE(Safety::removeUserJDKSymlink(home.dataRoot(), files));

    FixtureHome other(withLink());
    FaultyFileOperations denied;
    denied.failOn(FaultyFileOperations::Op::removeFile, 1, EACCES);
    try {
        Safety::removeUserJDKSymlink(other.dataRoot(), denied);
        FAIL() << "a refused removal was reported as done";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::permission_denied);
    }
    EXPECT_TRUE(isLink(Safety::jreBundlePath(other.dataRoot())));
}

TEST(TechnicJavaSafety, LauncherJavaIssues)
{
    FixtureHome::Options options;
    options.launcherJava = true;
    FixtureHome ready(options);
    EXPECT_TRUE(Safety::launcherJavaIssues({}, ready.jvmRoot(), *FileOperations::system()).isEmpty());

    options.javaBinary = FixtureHome::JavaBinary::elfX86_64;
    FixtureHome intel(options);
    const auto found = Safety::launcherJavaIssues({}, intel.jvmRoot(), *FileOperations::system());
    ASSERT_EQ(found.size(), 1);
    EXPECT_TRUE(found.first().startsWith(QLatin1String("No Java 8 for arm64 in ")));
}
