#include "platform/LinuxProcessTable.h"
#include "support/ProcFixture.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;
using orvane::test::ProcFixture;
using orvane::test::TempDir;
using orvane::test::writeFile;

namespace {

const std::filesystem::path kLauncher = "/Applications/Technic Launcher.app/Contents/MacOS/Technic Launcher";
const std::filesystem::path kJava = "/usr/lib/jvm/zulu8/bin/java";

} // namespace

TEST(ProcessTable, NamesComeFromTheExecutableBeforeTheShortCommandName)
{
    TempDir dir;
    ProcFixture proc(dir.path());
    proc.addProcess(1, "/sbin/init", {"/sbin/init"});
    proc.addProcess(300, kLauncher, {kLauncher.native()});
    proc.addProcess(412, kJava, {"java", "-jar", "TechnicLauncher.jar"});
    proc.addUnreadableProcess(20, "kworker/0:1");
    proc.addProcess(90, "/usr/lib/jvm/old/bin/java (deleted)", {"java"});
    proc.addVanishedProcess(777);
    std::filesystem::create_directories(dir / "proc" / "self");
    std::filesystem::create_directories(dir / "proc" / "sys");
    writeFile(dir / "proc" / "12x", "not a process");

    LinuxProcessTable table(dir.path());
    EXPECT_EQ(table.processIDs(), (std::vector<std::int32_t> {1, 20, 90, 300, 412, 777}));

    // The kernel keeps "Technic Launche"; the executable keeps the whole name.
    EXPECT_EQ(test::readFile(proc.folder(300) / "comm"), QByteArray("Technic Launche\n"));
    EXPECT_EQ(table.name(300), QString("Technic Launcher"));
    EXPECT_EQ(table.executablePath(300), kLauncher);
    EXPECT_EQ(table.name(412), QString("java"));
    EXPECT_EQ(table.name(20), QString("kworker/0:1"));
    EXPECT_EQ(table.executablePath(20), std::nullopt);
    // A Java upgraded under a running game is still "java".
    EXPECT_EQ(table.name(90), QString("java"));
    EXPECT_EQ(table.executablePath(90), std::filesystem::path("/usr/lib/jvm/old/bin/java"));

    // A process gone between listing and lookup has no answers, and nothing is thrown.
    EXPECT_EQ(table.name(777), std::nullopt);
    EXPECT_EQ(table.executablePath(777), std::nullopt);
    EXPECT_EQ(table.commandLine(777), std::nullopt);
    proc.removeProcess(412);
    EXPECT_EQ(table.name(412), std::nullopt);
    EXPECT_EQ(table.commandLine(412), std::nullopt);
    EXPECT_EQ(table.name(99999), std::nullopt);
}

TEST(ProcessTable, CommandLinesJoinArgumentsAndNeverHang)
{
    TempDir dir;
    ProcFixture proc(dir.path());
    proc.addProcess(412, kJava,
                    {"java", "-Xmx4G", "-Djava.library.path=/x/natives", "-cp", "/a/forge-1.12.2.jar:/b/lwjgl.jar",
                     "net.minecraft.launchwrapper.Launch", "--tweakClass",
                     "net.minecraftforge.fml.common.launcher.FMLTweaker", "--title", "Tekkit 2"});
    proc.addUnreadableProcess(2, "kthreadd");
    proc.addProcess(500, kJava, {"java"});
    const char invalid[] = "java\0-Dbad=\xff\xfe\0net.technicpack.x\0";
    writeFile(proc.folder(500) / "cmdline", QByteArray(invalid, sizeof invalid - 1));
    proc.addProcess(600, kJava, {"java"});
    std::filesystem::remove(proc.folder(600) / "cmdline");
    ASSERT_EQ(::mkfifo((proc.folder(600) / "cmdline").c_str(), 0600), 0);

    LinuxProcessTable table(dir.path());
    EXPECT_EQ(table.commandLine(412),
              QString("java -Xmx4G -Djava.library.path=/x/natives -cp /a/forge-1.12.2.jar:/b/lwjgl.jar "
                      "net.minecraft.launchwrapper.Launch --tweakClass "
                      "net.minecraftforge.fml.common.launcher.FMLTweaker --title Tekkit 2"));
    EXPECT_EQ(table.commandLine(2), QString(""));
    // Bytes that are not UTF-8 are replaced; the rest of the line still counts.
    const auto replaced = table.commandLine(500);
    ASSERT_TRUE(replaced);
    EXPECT_TRUE(replaced->startsWith("java -Dbad="));
    EXPECT_TRUE(replaced->endsWith(" net.technicpack.x"));
    EXPECT_TRUE(replaced->contains(QChar::ReplacementCharacter));
    EXPECT_EQ(table.commandLine(600), std::nullopt);
}

TEST(ProcessTable, ListsEveryProcessWithoutACap)
{
    TempDir dir;
    ProcFixture proc(dir.path());
    for (std::int32_t pid = 1; pid <= 2100; ++pid)
        proc.addVanishedProcess(pid);
    LinuxProcessTable table(dir.path());
    const auto pids = table.processIDs();
    ASSERT_EQ(pids.size(), 2100u);
    EXPECT_EQ(pids.front(), 1);
    EXPECT_EQ(pids.back(), 2100);
}

TEST(ProcessTable, SeesThisProcessInTheRealTable)
{
    auto table = ProcessTable::system();
    const std::int32_t self = ::getpid();
    const auto pids = table->processIDs();
    EXPECT_NE(std::find(pids.begin(), pids.end(), self), pids.end());
    const auto executable = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(table->executablePath(self), executable);
    EXPECT_EQ(table->name(self), QString::fromStdString(executable.filename().native()));
    const auto commandLine = table->commandLine(self);
    ASSERT_TRUE(commandLine);
    EXPECT_FALSE(commandLine->isEmpty());
    EXPECT_FALSE(table->commandLine(self)->contains(QChar(0)));
}
