#include "platform/CommandRunner.h"
#include "platform/PathText.h"
#include "support/FakeJava.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

using namespace orvane;
using namespace orvane::test;
using namespace std::chrono_literals;

namespace {

Command fakeJava(ProcessEnvironment environment, std::vector<std::string> arguments = {})
{
    Command command;
    command.executable = fakeJavaPath();
    command.arguments = std::move(arguments);
    command.environment = std::move(environment);
    command.timeout = 20s;
    return command;
}

// The error code a run fails with; none when it runs.
std::error_code failureOf(const Command& command)
{
    try {
        CommandRunner::system()->run(command);
    } catch (const std::system_error& error) {
        return error.code();
    }
    return {};
}

} // namespace

TEST(CommandRunner, ReportsExitStatusAndBothStreamsSeparately)
{
    auto runner = CommandRunner::system();
    const auto result = runner->run(
        fakeJava({{"FAKE_JAVA_STDOUT", "to out"}, {"FAKE_JAVA_STDERR", "to err"}, {"FAKE_JAVA_EXIT", "3"}}));
    EXPECT_EQ(result.status, 3);
    EXPECT_FALSE(result.signalled || result.timedOut || result.succeeded());
    EXPECT_EQ(result.standardOutput, QByteArray("to out"));
    EXPECT_EQ(result.standardError, QByteArray("to err"));
    EXPECT_TRUE(runner->run(fakeJava({})).succeeded());

    const auto killed = runner->run(fakeJava({{"FAKE_JAVA_SIGNAL", "15"}}));
    EXPECT_TRUE(killed.signalled);
    EXPECT_EQ(killed.status, SIGTERM);
    EXPECT_FALSE(killed.succeeded());
}

TEST(CommandRunner, PassesArgumentsVerbatimWithExactlyTheGivenEnvironment)
{
    TempDir dir;
    const auto record = dir / "record";
    const std::vector<std::string> arguments = {"a b", "$(touch " + (dir / "pwned").native() + ")", "*", "", "'\"",
                                                "caf\xc3\xa9"};
    const auto result =
        CommandRunner::system()->run(fakeJava({{"FAKE_JAVA_RECORD", pathText(record)}, {"JAVA_HOME", "/j d k"}}, arguments));
    ASSERT_TRUE(result.succeeded());
    QStringList expected {pathText(fakeJavaPath())};
    for (const auto& argument : arguments)
        expected << QString::fromStdString(argument);
    EXPECT_EQ(recordLines(record, "arg:"), expected);
    EXPECT_EQ(recordLines(record, "env:"), (QStringList {"FAKE_JAVA_RECORD=" + pathText(record), "JAVA_HOME=/j d k"}));
    EXPECT_EQ(recordLines(record, "stdin:"), QStringList {"/dev/null"});
    EXPECT_EQ(recordLines(record, "fd:").size(), 3); // only the standard descriptors reach the child
    EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));

    // Without capture the streams are the null device; without an environment the child gets ours.
    Command quiet = fakeJava({}, {});
    quiet.environment = std::nullopt;
    quiet.captureOutput = false;
    ::setenv("FAKE_JAVA_RECORD", record.c_str(), 1);
    const auto uncaptured = CommandRunner::system()->run(quiet);
    ::unsetenv("FAKE_JAVA_RECORD");
    EXPECT_TRUE(uncaptured.succeeded());
    EXPECT_EQ(recordLines(record, "stdout:"), QStringList {"/dev/null"});
    EXPECT_EQ(recordLines(record, "stderr:"), QStringList {"/dev/null"});
    const auto inherited = recordLines(record, "env:");
    EXPECT_TRUE(inherited.contains("PATH=" + currentProcessEnvironment().at("PATH")));
    EXPECT_TRUE(inherited.contains("FAKE_JAVA_RECORD=" + pathText(record)));
}

TEST(CommandRunner, FindsABareNameOnlyOnThePathOfTheGivenEnvironment)
{
    Command command = fakeJava({{"PATH", "relative:/nonexistent:" + pathText(fakeJavaPath().parent_path())}});
    command.executable = "fake_java";
    EXPECT_TRUE(CommandRunner::system()->run(command).succeeded());

    command.environment = ProcessEnvironment {{"PATH", "/nonexistent"}};
    EXPECT_EQ(failureOf(command), std::errc::no_such_file_or_directory);
    command.executable = fakeJavaPath().parent_path() / "missing_program";
    EXPECT_EQ(failureOf(command), std::errc::no_such_file_or_directory);
}

TEST(CommandRunner, RefusesTextThatCannotBePassedToAProgram)
{
    EXPECT_EQ(failureOf(fakeJava({}, {std::string("a\0b", 3)})), std::errc::invalid_argument);
    EXPECT_EQ(failureOf(fakeJava({{"A=B", "x"}})), std::errc::invalid_argument);
    EXPECT_EQ(failureOf(fakeJava({{"", "x"}})), std::errc::invalid_argument);
    EXPECT_EQ(failureOf(fakeJava({{"A", QString("x") + QChar(0)}})), std::errc::invalid_argument);
}

TEST(CommandRunner, TimeoutKillsAndReapsTheToolOrLeavesItRunningWhenAsked)
{
    TempDir dir;
    Command command = fakeJava({{"FAKE_JAVA_SLEEP", "30"}, {"FAKE_JAVA_RECORD", pathText(dir / "killed")}});
    command.timeout = 300ms;
    const auto start = std::chrono::steady_clock::now();
    const auto killed = CommandRunner::system()->run(command);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_TRUE(killed.timedOut && killed.signalled);
    EXPECT_EQ(killed.status, SIGKILL);
    ASSERT_EQ(recordLines(dir / "killed", "pid:").size(), 1);
    EXPECT_TRUE(processGone(recordLines(dir / "killed", "pid:").front().toInt())); // reaped before run() returned

    command.environment = ProcessEnvironment {{"FAKE_JAVA_SLEEP", "1"}, {"FAKE_JAVA_RECORD", pathText(dir / "left")}};
    command.leaveRunningAfterTimeout = true;
    const auto left = CommandRunner::system()->run(command);
    EXPECT_TRUE(left.timedOut);
    EXPECT_FALSE(left.signalled);
    ASSERT_EQ(recordLines(dir / "left", "pid:").size(), 1);
    const pid_t pid = recordLines(dir / "left", "pid:").front().toInt();
    EXPECT_FALSE(processGone(pid));
    EXPECT_TRUE(waitUntil(10s, [&] { return processGone(pid); }));
}

TEST(CommandRunner, OutputIsBoundedWithoutBlockingTheTool)
{
    Command command = fakeJava({{"FAKE_JAVA_FLOOD", "5000000"}, {"FAKE_JAVA_STDERR", "done"}});
    command.outputLimit = 1000;
    const auto result = CommandRunner::system()->run(command);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.standardOutput, QByteArray(1000, 'x'));
    EXPECT_EQ(result.standardError, QByteArray("done"));
    EXPECT_TRUE(result.outputTruncated);
}

TEST(CommandRunner, AChildLeftBehindDoesNotHoldTheResultBack)
{
    const auto start = std::chrono::steady_clock::now();
    const auto result =
        CommandRunner::system()->run(fakeJava({{"FAKE_JAVA_GRANDCHILD", "4"}, {"FAKE_JAVA_STDOUT", "parent"}}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_TRUE(result.succeeded());
    EXPECT_EQ(result.standardOutput, QByteArray("parent"));
}
