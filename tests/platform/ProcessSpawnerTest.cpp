#include "platform/DetachedChild.h"
#include "platform/ProcessSpawner.h"
#include "platform/XdgOpenTool.h"
#include "support/FakeJava.h"
#include "support/PlatformFakes.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;
using namespace std::chrono_literals;

TEST(ProcessSpawner, StartsDetachedWithItsErrorOnAPipeAndLeavesNoZombie)
{
    TempDir dir;
    const auto record = dir / "record";
    const QString recordText = QString::fromStdString(record.native());
    const std::string jar = (dir / "Technic Launcher" / "TechnicLauncher.jar").native();
    const auto started = ProcessSpawner::system()->startDetached(
        fakeJavaPath(), {"-jar", jar}, {{"JAVA_HOME", "/opt/zulu8"}, {"FAKE_JAVA_RECORD", recordText}});
    const pid_t pid = started->pid();
    ASSERT_GT(pid, 0);

    ASSERT_TRUE(waitUntil(10s, [&] { return std::filesystem::exists(record); }));
    EXPECT_EQ(recordLines(record, "arg:"),
              (QStringList {QString::fromStdString(fakeJavaPath().native()), "-jar", QString::fromStdString(jar)}));
    EXPECT_EQ(recordLines(record, "env:"), (QStringList {"FAKE_JAVA_RECORD=" + recordText, "JAVA_HOME=/opt/zulu8"}));
    for (const char* stream : {"stdin:", "stdout:"})
        EXPECT_EQ(recordLines(record, stream), QStringList {"/dev/null"}) << stream;
    // Its error output is kept, so that a failed start can say why.
    ASSERT_EQ(recordLines(record, "stderr:").size(), 1);
    EXPECT_TRUE(recordLines(record, "stderr:").front().startsWith("pipe:"));
    EXPECT_EQ(recordLines(record, "fd:").size(), 3);
    EXPECT_EQ(recordLines(record, "session:"), QStringList {"leader"});
    EXPECT_EQ(recordLines(record, "pid:"), QStringList {QString::number(pid)});

    // Nobody here waits for it, yet once it ends it does not stay behind as a zombie.
    EXPECT_TRUE(waitUntil(10s, [&] { return processGone(pid); }));

    try {
        ProcessSpawner::system()->startDetached(dir / "missing" / "java", {"-jar", jar}, {});
        FAIL() << "started a missing program";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    }
}

TEST(OpenTool, RunsTheToolWithThePathAndReportsItsStatus)
{
    auto runner = std::make_shared<RecordingCommandRunner>();
    CommandResult failed;
    failed.status = 4;
    runner->respond = [&](const Command&) { return failed; };
    XdgOpenTool tool(runner, "xdg-open", 5s);
    EXPECT_EQ(tool.open("/Applications/Technic Launcher.app"), 4);
    EXPECT_EQ(tool.open("-rf"), 4);
    ASSERT_EQ(runner->commands.size(), 2u);
    EXPECT_EQ(runner->commands[0].executable, std::filesystem::path("xdg-open"));
    EXPECT_EQ(runner->commands[0].arguments, std::vector<std::string> {"/Applications/Technic Launcher.app"});
    EXPECT_EQ(runner->commands[0].environment, std::nullopt);
    EXPECT_TRUE(runner->commands[0].leaveRunningAfterTimeout);
    EXPECT_FALSE(runner->commands[0].captureOutput);
    EXPECT_EQ(runner->commands[1].arguments, std::vector<std::string> {"./-rf"}); // never read as an option

    // A tool still up after the wait limit runs what it opened: the open counts as done.
    failed.timedOut = true;
    EXPECT_EQ(tool.open("/x"), 0);

    // The real runner: a tool that exits 0, and one that cannot start.
    EXPECT_EQ(XdgOpenTool(CommandRunner::system(), fakeJavaPath()).open("/tmp"), 0);
    TempDir dir;
    EXPECT_THROW(XdgOpenTool(CommandRunner::system(), dir / "xdg-open").open("/tmp"), std::system_error);
}

TEST(ProcessSpawner, TellsHowTheChildEndedWithTheEndOfItsErrorOutput)
{
    const QByteArray tail(qsizetype(DetachedChild::errorTailBytes), 'x');
    struct Case {
        const char* name;
        ProcessEnvironment environment;
        ChildExit exit;
        QByteArray errorOutput;
    } cases[] = {
        {"a clean exit", {}, {0, false}, {}},
        {"a status with its message", {{"FAKE_JAVA_STDERR", "first\nError: broken jar\n"}, {"FAKE_JAVA_EXIT", "1"}},
         {1, false}, "first\nError: broken jar\n"},
        {"a signal", {{"FAKE_JAVA_STDERR", "aborting"}, {"FAKE_JAVA_SIGNAL", "9"}}, {9, true}, "aborting"},
        // Far more than a pipe holds: the child never blocks, and only the last bytes are kept.
        {"a flood of error output", {{"FAKE_JAVA_ERROR_FLOOD", "1048576"}, {"FAKE_JAVA_EXIT", "3"}}, {3, false}, tail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto started = ProcessSpawner::system()->startDetached(fakeJavaPath(), {}, c.environment);
        ASSERT_TRUE(waitUntil(10s, [&] { return started->exitStatus().has_value(); }));
        EXPECT_EQ(started->exitStatus(), c.exit);
        EXPECT_EQ(started->errorOutput(), c.errorOutput);
        EXPECT_TRUE(processGone(started->pid()));
    }
}

TEST(ProcessSpawner, AChildLeftBehindHoldingTheErrorPipeDoesNotHideTheEnd)
{
    const auto start = std::chrono::steady_clock::now();
    const auto started = ProcessSpawner::system()->startDetached(
        fakeJavaPath(), {}, {{"FAKE_JAVA_GRANDCHILD", "8"}, {"FAKE_JAVA_STDERR", "bye"}, {"FAKE_JAVA_EXIT", "2"}});
    ASSERT_TRUE(waitUntil(10s, [&] { return started->exitStatus().has_value(); }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 6s);
    EXPECT_EQ(started->exitStatus(), (ChildExit {2, false}));
    EXPECT_EQ(started->errorOutput(), QByteArray("bye"));
    EXPECT_TRUE(processGone(started->pid()));
}
