#include "platform/LinuxRosettaProbe.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvane;
using orvane::test::TempDir;
using orvane::test::writeFile;

namespace {

// Handlers as the kernel prints them; the x86_64 one is what qemu-user, FEX and Rosetta register.
const QByteArray kX86_64 = "enabled\ninterpreter /usr/bin/qemu-x86_64-static\nflags: F\noffset 0\n"
                           "magic 7f454c4602010100000000000000000002003e00\n"
                           "mask fffffffffffefe00fffffffffffffffffeffffff\n";
const QByteArray kAarch64 = "enabled\ninterpreter /usr/bin/qemu-aarch64-static\nflags: F\noffset 0\n"
                            "magic 7f454c460201010000000000000000000200b700\n"
                            "mask ffffffffffffff00fffffffffffffffffeffffff\n";
const QByteArray kI386 = "enabled\ninterpreter /usr/bin/qemu-i386-static\nflags: F\noffset 0\n"
                         "magic 7f454c4601010100000000000000000002000300\n"
                         "mask fffffffffffefefcfffffffffffffffffeffffff\n";
const QByteArray kWine = "enabled\ninterpreter /usr/bin/wine\nflags: \nextension .exe\n";

QByteArray disabled(QByteArray handler)
{
    return handler.replace("enabled\n", "disabled\n");
}

// Whether an arm64 host with these handler files (name → content) counts as running x86_64 code.
bool installedWith(const std::map<std::string, QByteArray>& handlers)
{
    TempDir root;
    const auto folder = root / "proc/sys/fs/binfmt_misc";
    std::filesystem::create_directories(folder);
    for (const auto& [name, content] : handlers)
        writeFile(folder / name, content);
    return LinuxRosettaProbe(root.path(), "arm64").isInstalled();
}

} // namespace

TEST(RosettaProbe, AnX86_64HostRunsX86_64Code)
{
    TempDir empty;
    EXPECT_TRUE(LinuxRosettaProbe(empty.path(), "x86_64").isInstalled());
    EXPECT_FALSE(LinuxRosettaProbe(empty.path(), "arm64").isInstalled());
    EXPECT_FALSE(installedWith({}));
}

TEST(RosettaProbe, OnlyAnEnabledHandlerForX86_64ExecutablesCounts)
{
    EXPECT_TRUE(installedWith({{"status", "enabled\n"}, {"register", ""}, {"qemu-x86_64", kX86_64}}));
    EXPECT_TRUE(installedWith({{"rosetta", kX86_64}, {"qemu-i386", kI386}}));
    EXPECT_FALSE(installedWith({{"qemu-x86_64", disabled(kX86_64)}}));
    EXPECT_FALSE(installedWith({{"status", "disabled\n"}, {"qemu-x86_64", kX86_64}}));
    EXPECT_FALSE(installedWith({{"qemu-aarch64", kAarch64}, {"qemu-i386", kI386}, {"wine", kWine}}));

    // Without a mask every magic byte must match: this one takes fixed-address executables only.
    QByteArray executablesOnly = kX86_64;
    executablesOnly.replace("mask fffffffffffefe00fffffffffffffffffeffffff\n", "");
    EXPECT_TRUE(installedWith({{"x", executablesOnly}}));
    // Matching bytes beyond those all x86_64 executables share decides nothing.
    EXPECT_FALSE(installedWith({{"x", QByteArray(kX86_64).replace("offset 0", "offset 40")}}));
}

TEST(RosettaProbe, MalformedOrSpecialHandlerFilesCountAsNoHandler)
{
    EXPECT_FALSE(installedWith({{"x", QByteArray(kX86_64).replace("magic 7f45", "magic 7g45")}}));
    EXPECT_FALSE(installedWith({{"x", QByteArray(kX86_64).replace("magic 7f45", "magic 7f4")}}));
    EXPECT_FALSE(installedWith({{"x", QByteArray(kX86_64).replace("offset 0", "offset -1")}}));
    EXPECT_FALSE(installedWith({{"x", QByteArray(kX86_64).replace("enabled\n", "")}}));
    EXPECT_FALSE(installedWith({{"x", "enabled\ninterpreter /x\nflags: \noffset 0\nmagic \n"}}));

    TempDir root;
    const auto folder = root / "proc/sys/fs/binfmt_misc";
    std::filesystem::create_directories(folder / "subfolder");
    ASSERT_EQ(::mkfifo((folder / "status").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(LinuxRosettaProbe(root.path(), "arm64").isInstalled()); // returns, never hangs
    writeFile(folder / "qemu-x86_64", kX86_64);
    EXPECT_TRUE(LinuxRosettaProbe(root.path(), "arm64").isInstalled());
}
