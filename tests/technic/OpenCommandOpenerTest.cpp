#include "technic/OpenCommandOpener.h"
#include "technic/TechnicLauncherLaunch.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "support/FakeJava.h"
#include "support/FixtureHome.h"
#include "support/PlatformFakes.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <system_error>

using namespace orvane;
using namespace orvane::test;
using namespace std::chrono_literals;
using Binary = FixtureHome::JavaBinary;

namespace {

FixtureHome::Options jarInstall(Binary java = Binary::arm64, QString jarName = {})
{
    FixtureHome::Options options;
    options.launcher = FixtureHome::Launcher::jar;
    options.launcherName = std::move(jarName);
    options.launcherJava = true;
    options.javaBinary = java;
    return options;
}

struct Seams {
    std::shared_ptr<RecordingOpenTool> tool = std::make_shared<RecordingOpenTool>();
    std::shared_ptr<RecordingProcessSpawner> spawner = std::make_shared<RecordingProcessSpawner>();

    OpenCommandOpener opener(ProcessEnvironment environment, const std::filesystem::path& jvmRoot,
                             const QString& host = QStringLiteral("arm64")) const
    {
        return OpenCommandOpener(std::move(environment), jvmRoot, tool, spawner, FileOperations::system(), host);
    }
};

template <class Action>
QString failureText(Action action)
{
    try {
        action();
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error.kind(), OrvaneError::Kind::launchObservationFailed);
        return error.text();
    }
    ADD_FAILURE() << "no OrvaneError thrown";
    return {};
}

// The real spawner, starting the fake Java in place of whatever Java it is asked for (the approved
// Java must be arm64, which this host's programs need not be).
class FakeJavaSpawner final : public ProcessSpawner {
public:
    std::vector<std::filesystem::path> asked;
    std::shared_ptr<StartedProcess> startDetached(const std::filesystem::path& executable,
                                                  const std::vector<std::string>& arguments,
                                                  const ProcessEnvironment& environment) override
    {
        asked.push_back(executable);
        return ProcessSpawner::system()->startDetached(fakeJavaPath(), arguments, environment);
    }
};

} // namespace

TEST(OpenCommandOpener, JarExtensionInAnyCase)
{
    EXPECT_TRUE(OpenCommandOpener::isJar("/a/TechnicLauncher.jar"));
    EXPECT_TRUE(OpenCommandOpener::isJar("/a/TechnicLauncher.JAR"));
    EXPECT_TRUE(OpenCommandOpener::isJar("TechnicLauncher.Jar"));
    EXPECT_FALSE(OpenCommandOpener::isJar("/a/Technic Launcher.app"));
    EXPECT_FALSE(OpenCommandOpener::isJar("/a/TechnicLauncher.jar.zip"));
    EXPECT_FALSE(OpenCommandOpener::isJar("/a/jar"));
    // A path written with a final "/" still names the JAR, not an application to hand the open tool.
    EXPECT_TRUE(OpenCommandOpener::isJar("/a/TechnicLauncher.jar/"));
}

TEST(OpenCommandOpener, ApplicationsGoThroughTheOpenTool)
{
    Seams seams;
    const std::filesystem::path app = "/Users/someone/Applications/Technic Launcher.app";
    auto opener = seams.opener({}, "/Users/someone");
    opener.open(app);
    EXPECT_EQ(seams.tool->opened, std::vector<std::filesystem::path> {app});
    EXPECT_TRUE(seams.spawner->starts.empty());

    seams.tool->status = 3;
    EXPECT_EQ(failureText([&] { opener.open(app); }),
              QStringLiteral("open exited 3 for /Users/someone/Applications/Technic Launcher.app"));

    // A tool that cannot start is the system's error, unchanged.
    seams.tool->failure = ENOENT;
    try {
        opener.open(app);
        FAIL() << "a tool that cannot start went unnoticed";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    }
}

TEST(OpenCommandOpener, StartsTheJarWithTheApprovedJava)
{
    FixtureHome home(jarInstall(Binary::arm64, QStringLiteral("TechnicLauncher.JAR")));
    Seams seams;
    const ProcessEnvironment environment = {{"PATH", "/usr/bin:/bin"}, {"LANG", "en_GB.UTF-8"}};
    seams.opener(environment, home.jvmRoot()).open(home.launcherPath());

    EXPECT_TRUE(seams.tool->opened.empty());
    ASSERT_EQ(seams.spawner->starts.size(), 1u);
    const auto& start = seams.spawner->starts.front();
    EXPECT_EQ(start.executable, home.javaExecutable());
    EXPECT_EQ(start.arguments, (std::vector<std::string> {"-jar", home.launcherPath().native()}));
    ProcessEnvironment expected = environment;
    expected["JAVA_HOME"] = pathText(home.javaHome()); // added
    EXPECT_EQ(start.environment, expected);
    EXPECT_EQ(TechnicLauncherLaunch::launcherProcess(), seams.spawner->nextPid - 1);
}

TEST(OpenCommandOpener, AnExistingJavaHomeIsReplacedByTheApprovedOne)
{
    FixtureHome home(jarInstall());
    const auto jdk = home.root() / "jdk8";
    FixtureHome::writeJdk(jdk, Binary::universalWithArm64, QByteArray("JAVA_VERSION=\"1.8.0_402\""));
    Seams seams;
    // Written loosely by the user; the launcher gets the Java home that was checked.
    const ProcessEnvironment environment = {{"JAVA_HOME", pathText(home.root()) + "/other/../jdk8/"}};
    seams.opener(environment, home.jvmRoot()).open(home.launcherPath());
    ASSERT_EQ(seams.spawner->starts.size(), 1u);
    EXPECT_EQ(seams.spawner->starts.front().executable, jdk / "bin" / "java");
    EXPECT_EQ(seams.spawner->starts.front().environment, (ProcessEnvironment {{"JAVA_HOME", pathText(jdk)}}));
}

TEST(OpenCommandOpener, JavaIsJudgedBeforeTheJar)
{
    const QString noArm64 = QStringLiteral("No Java 8 for arm64 in %1. Install arm64 Zulu 8 or set JAVA_HOME to an "
                                           "arm64 Java 8 JDK.");
    FixtureHome intel(jarInstall(Binary::x86_64));
    std::filesystem::remove(intel.launcherPath());
    Seams seams;
    EXPECT_EQ(failureText([&] { seams.opener({}, intel.jvmRoot()).open(intel.launcherPath()); }),
              noArm64.arg(pathText(intel.jvmRoot())));

    // With no Java at all the readiness text says so.
    FixtureHome none;
    EXPECT_EQ(failureText([&] { seams.opener({}, none.jvmRoot()).open(none.home() / "TechnicLauncher.jar"); }),
              noArm64.arg(pathText(none.jvmRoot())));

    // A ready Java with no JAR, or a folder where the JAR should be.
    FixtureHome ready(jarInstall());
    std::filesystem::remove(ready.launcherPath());
    EXPECT_EQ(failureText([&] { seams.opener({}, ready.jvmRoot()).open(ready.launcherPath()); }),
              "Technic launcher JAR not found at " + pathText(ready.launcherPath()));
    std::filesystem::create_directories(ready.launcherPath());
    EXPECT_EQ(failureText([&] { seams.opener({}, ready.jvmRoot()).open(ready.launcherPath()); }),
              "Technic launcher JAR not found at " + pathText(ready.launcherPath()));
    EXPECT_TRUE(seams.spawner->starts.empty());
}

TEST(OpenCommandOpener, TheJarStartsOnAJavaOfTheHostsOwnArchitectureOnly)
{
    struct Case {
        const char* host;
        Binary java;
        bool starts;
    } cases[] = {
        {"arm64", Binary::elfArm64, true},   {"arm64", Binary::elfX86_64, false},
        {"x86_64", Binary::elfX86_64, true}, {"x86_64", Binary::elfArm64, false},
        {"x86_64", Binary::universalX86Only, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.host) + (c.starts ? " starts" : " refuses"));
        FixtureHome home(jarInstall(c.java));
        Seams seams;
        QString failure;
        try {
            seams.opener({}, home.jvmRoot(), QString::fromLatin1(c.host)).open(home.launcherPath());
        } catch (const OrvaneError& error) {
            failure = error.text();
        }
        EXPECT_EQ(failure.isEmpty(), c.starts) << failure.toStdString();
        EXPECT_EQ(seams.spawner->starts.size(), c.starts ? 1u : 0u);
        if (!c.starts) {
            EXPECT_TRUE(failure.startsWith(QStringLiteral("No Java 8 for %1 in ").arg(QString::fromLatin1(c.host))));
        }
    }
}

TEST(OpenCommandOpener, AJavaThatCannotStartIsTheSystemError)
{
    FixtureHome home(jarInstall());
    Seams seams;
    seams.spawner->failure = EACCES;
    TechnicLauncherLaunch::setLauncherProcess(77);
    try {
        seams.opener({}, home.jvmRoot()).open(home.launcherPath());
        FAIL() << "a failed start went unnoticed";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::permission_denied);
    }
    EXPECT_EQ(TechnicLauncherLaunch::launcherProcess(), 77);
}

TEST(OpenCommandOpener, TheLauncherRunsDetachedWithItsErrorOutputKeptAndIsReaped)
{
    FixtureHome home(jarInstall());
    const auto record = home.root() / "record";
    const ProcessEnvironment environment = {{"FAKE_JAVA_RECORD", pathText(record)}, {"JAVA_HOME", QString()}};
    auto spawner = std::make_shared<FakeJavaSpawner>();
    OpenCommandOpener(environment, home.jvmRoot(), std::make_shared<RecordingOpenTool>(), spawner,
                      FileOperations::system(), QStringLiteral("arm64"))
        .open(home.launcherPath());

    EXPECT_EQ(spawner->asked, std::vector<std::filesystem::path> {home.javaExecutable()});
    const auto pid = TechnicLauncherLaunch::launcherProcess();
    ASSERT_TRUE(pid.has_value());
    ASSERT_TRUE(waitUntil(10s, [&] { return std::filesystem::exists(record); }));
    EXPECT_EQ(recordLines(record, "arg:"),
              (QStringList {pathText(fakeJavaPath()), "-jar", pathText(home.launcherPath())}));
    EXPECT_EQ(recordLines(record, "env:"),
              (QStringList {"FAKE_JAVA_RECORD=" + pathText(record), "JAVA_HOME=" + pathText(home.javaHome())}));
    for (const char* stream : {"stdin:", "stdout:"})
        EXPECT_EQ(recordLines(record, stream), QStringList {"/dev/null"}) << stream;
    EXPECT_TRUE(recordLines(record, "stderr:").value(0).startsWith("pipe:")); // kept for a failed start
    EXPECT_EQ(recordLines(record, "pid:"), QStringList {QString::number(*pid)});
    // Nobody waits for the launcher here, yet it leaves no zombie behind.
    EXPECT_TRUE(waitUntil(10s, [&] { return processGone(*pid); }));
}
