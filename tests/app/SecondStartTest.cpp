// Starts the shipped Orvane executable, offscreen, in a fixture home with its own runtime folder.

#include "platform/PathText.h"
#include "support/FixtureHome.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <memory>
#include <vector>

#include <sys/stat.h>

namespace orvane {
namespace {

const QByteArray listening = QByteArrayLiteral("orvane.instance: listening at");
const QByteArray broughtToFront = QByteArrayLiteral("orvane.instance: brought the window to the front");
// Generous against a loaded machine, short against a hang.
constexpr int startTimeoutMs = 20000;
constexpr qint64 handOverBoundMs = 5000; // catches a hang, not a slow machine

QProcessEnvironment environmentFor(const test::FixtureHome& home, const std::filesystem::path& runtime)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY", "JAVA_HOME", "QT_QPA_PLATFORMTHEME"})
        environment.remove(QString::fromLatin1(name));
    for (const auto& [name, value] : home.environment())
        environment.insert(name, value);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), pathText(home.home() / ".config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), pathText(home.home() / ".cache"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), pathText(runtime));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("orvane.instance.info=true"));
    return environment;
}

// One start of Orvane, its error output collected as it comes.
class Start final {
public:
    explicit Start(const QProcessEnvironment& environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setReadChannel(QProcess::StandardError); // what waitForReadyRead waits for
        m_clock.start();
        m_process.start(QStringLiteral(ORVANE_APP_EXECUTABLE), {});
    }
    ~Start()
    {
        m_process.kill();
        m_process.waitForFinished(startTimeoutMs);
    }
    Start(const Start&) = delete;
    Start& operator=(const Start&) = delete;

    // Waits until its error output holds `line` `times` times, or it ends, or the time is up.
    bool waitFor(const QByteArray& line, int times = 1)
    {
        const QDeadlineTimer deadline(startTimeoutMs);
        while (errors().count(line) < times) {
            if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
                return false;
            m_process.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
        }
        return true;
    }
    bool waitForExit()
    {
        const bool ended = m_process.waitForFinished(startTimeoutMs);
        errors();
        return ended;
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    bool exitedWithZero() const
    {
        return m_process.state() == QProcess::NotRunning && m_process.exitStatus() == QProcess::NormalExit
            && m_process.exitCode() == 0;
    }
    // From start to its end as first seen, or to now while it runs.
    qint64 elapsedMs() const { return m_exitMs >= 0 ? m_exitMs : m_clock.elapsed(); }
    void killHard()
    {
        m_process.kill(); // SIGKILL: no chance to tidy its socket away
        m_process.waitForFinished(startTimeoutMs);
    }
    QByteArray errors()
    {
        m_errors += m_process.readAllStandardError();
        if (m_exitMs < 0 && m_process.state() == QProcess::NotRunning)
            m_exitMs = m_clock.elapsed();
        return m_errors;
    }

private:
    QProcess m_process;
    QElapsedTimer m_clock;
    QByteArray m_errors;
    qint64 m_exitMs = -1;
};

std::filesystem::path privateRuntime(const test::FixtureHome& home)
{
    const std::filesystem::path runtime = home.root() / "runtime";
    std::filesystem::create_directory(runtime);
    ::chmod(runtime.c_str(), 0700);
    return runtime;
}

TEST(SecondStart, ASecondStartBringsTheRunningWindowForwardAndExitsZeroEvenAfterAnEarlierOneWasKilled)
{
    struct Case {
        const char* name;
        int killedBefore; // Orvanes killed with -9 before the one that keeps running
    };
    const Case cases[] = {
        {"the first still running", 0},
        {"a first killed with -9, then a new start", 1},
        {"two killed with -9 in turn, then a new start", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FixtureHome home;
        const QProcessEnvironment environment = environmentFor(home, privateRuntime(home));

        for (int i = 0; i < c.killedBefore; ++i) {
            Start crashed(environment);
            ASSERT_TRUE(crashed.waitFor(listening)) << crashed.errors().toStdString();
            crashed.killHard();
        }
        Start first(environment);
        ASSERT_TRUE(first.waitFor(listening)) << first.errors().toStdString();

        Start second(environment);
        ASSERT_TRUE(second.waitForExit());
        EXPECT_TRUE(second.exitedWithZero()) << second.errors().toStdString();
        EXPECT_LT(second.elapsedMs(), handOverBoundMs);
        EXPECT_FALSE(second.errors().contains(listening));

        EXPECT_TRUE(first.waitFor(broughtToFront)) << first.errors().toStdString();
        EXPECT_TRUE(first.running());
    }
}

TEST(SecondStart, StartsAtTheSameMomentLeaveOneOrvaneThatEveryOtherBringsForward)
{
    for (const int together : {2, 3}) {
        SCOPED_TRACE(together);
        test::FixtureHome home;
        const QProcessEnvironment environment = environmentFor(home, privateRuntime(home));

        std::vector<std::unique_ptr<Start>> starts;
        for (int i = 0; i < together; ++i)
            starts.push_back(std::make_unique<Start>(environment));

        std::vector<Start*> staying;
        for (const auto& start : starts) {
            // Each either listens (and stays) or hands over (and ends with 0).
            start->waitFor(listening);
            if (start->running())
                staying.push_back(start.get());
            else
                EXPECT_TRUE(start->exitedWithZero()) << start->errors().toStdString();
        }
        ASSERT_EQ(staying.size(), 1u);
        EXPECT_TRUE(staying.front()->waitFor(broughtToFront, together - 1)) << staying.front()->errors().toStdString();
    }
}

} // namespace
} // namespace orvane
