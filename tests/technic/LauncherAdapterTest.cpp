#include "technic/LauncherAdapter.h"

#include "model/OrvaneError.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <set>
#include <system_error>

using namespace orvane;

namespace {

// Answers yes to the questions listed in `yes` and records every question asked, in order.
class ScriptedInspector final : public ProcessInspecting {
public:
    std::set<QString> yes;
    mutable QStringList asked;

    bool isProcessRunning(const QString& nameContaining) const override { return answer("name:" + nameContaining); }
    bool isApplicationRunning(const QString& prefix) const override { return answer("bundle:" + prefix); }
    bool isGameJavaRunning() const override { return answer(QStringLiteral("gameJava")); }
    bool isTechnicLauncherJavaRunning() const override { return answer(QStringLiteral("launcherJava")); }
    std::optional<GameJavaArchitecture> gameJavaArchitecture() const override { return std::nullopt; }

private:
    bool answer(const QString& question) const
    {
        asked << question;
        return yes.contains(question);
    }
};

class RecordingOpener final : public ApplicationOpener {
public:
    std::vector<std::filesystem::path> opened;
    std::function<void()> fail;
    void open(const std::filesystem::path& target) override
    {
        if (fail)
            fail();
        opened.push_back(target);
    }
};

const QStringList kTechnicQuestions = {"bundle:net.technicpack", "name:TechnicLauncher", "name:Technic Launcher",
                                       "launcherJava"};

template <class Action>
std::optional<OrvaneError> errorOf(Action action)
{
    try {
        action();
    } catch (const OrvaneError& error) {
        return error;
    }
    return std::nullopt;
}

} // namespace

TEST(LauncherAdapter, TechnicTestAsksInOrderAndStopsAtTheFirstYes)
{
    auto processes = std::make_shared<ScriptedInspector>();
    const LauncherAdapter adapter(std::make_shared<RecordingOpener>(), processes);

    EXPECT_FALSE(adapter.isTechnicRunning());
    EXPECT_EQ(processes->asked, kTechnicQuestions);

    for (qsizetype answered = 0; answered < kTechnicQuestions.size(); ++answered) {
        processes->asked.clear();
        processes->yes = {kTechnicQuestions[answered]};
        EXPECT_TRUE(adapter.isTechnicRunning()) << kTechnicQuestions[answered].toStdString();
        EXPECT_EQ(processes->asked, kTechnicQuestions.mid(0, answered + 1));
    }
}

TEST(LauncherAdapter, EnsureNothingRunningReportsTechnicFirst)
{
    auto processes = std::make_shared<ScriptedInspector>();
    const LauncherAdapter adapter(std::make_shared<RecordingOpener>(), processes);

    EXPECT_EQ(errorOf([&] { adapter.ensureNothingRunning(); }), std::nullopt);
    EXPECT_EQ(processes->asked, kTechnicQuestions + QStringList {"gameJava"});

    processes->yes = {"gameJava"};
    EXPECT_EQ(errorOf([&] { adapter.ensureNothingRunning(); }), OrvaneError::minecraftRunning());

    processes->yes = {"gameJava", "launcherJava"};
    EXPECT_EQ(errorOf([&] { adapter.ensureNothingRunning(); }), OrvaneError::technicRunning());
    processes->yes = {"gameJava", "name:Technic Launcher"};
    processes->asked.clear();
    EXPECT_EQ(errorOf([&] { adapter.ensureNothingRunning(); }), OrvaneError::technicRunning());
    EXPECT_FALSE(processes->asked.contains("gameJava"));
}

TEST(LauncherAdapter, OpenForwardsAndPassesErrorsOnUnchanged)
{
    auto opener = std::make_shared<RecordingOpener>();
    LauncherAdapter adapter(opener, std::make_shared<ScriptedInspector>());
    adapter.open("/Applications/Technic Launcher.app");
    EXPECT_EQ(opener->opened, std::vector<std::filesystem::path> {"/Applications/Technic Launcher.app"});

    opener->fail = [] { throw std::system_error(ENOENT, std::generic_category(), "start xdg-open"); };
    try {
        adapter.open("/x.jar");
        FAIL() << "the opener's failure was swallowed";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    }
    opener->fail = [] { throw OrvaneError::launchObservationFailed("open exited 1 for /x"); };
    EXPECT_EQ(errorOf([&] { adapter.open("/x"); }), OrvaneError::launchObservationFailed("open exited 1 for /x"));
}
