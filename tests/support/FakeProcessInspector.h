#pragma once

#include "technic/ProcessInspecting.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace orvane::test {

// A process table scripted poll by poll. Each entry of the script answers one poll; nextPoll()
// moves on and the last entry keeps answering after the script runs out. Every question is
// recorded ("launcherJava", "name:<text>", "bundle:<prefix>", "gameJava", "architecture").
class FakeProcessInspector final : public ProcessInspecting {
public:
    struct Answers {
        // isProcessRunning: some name contains the text, in any letter case.
        QStringList processNames;
        // isApplicationRunning: some identifier begins with the prefix, in any letter case.
        QStringList bundleIdentifiers;
        bool gameJava = false;
        bool technicLauncherJava = false;
        std::optional<GameJavaArchitecture> architecture;
    };

    FakeProcessInspector();
    explicit FakeProcessInspector(std::vector<Answers> script);

    void nextPoll();
    int pollIndex() const;
    std::vector<QString> questions() const;
    void clearQuestions();
    // Called with each question before it is answered (to request a stop midway, for instance).
    void setOnQuestion(std::function<void(const QString&)> hook);

    bool isProcessRunning(const QString& nameContaining) const override;
    bool isApplicationRunning(const QString& bundleIdentifierPrefix) const override;
    bool isGameJavaRunning() const override;
    bool isTechnicLauncherJavaRunning() const override;
    std::optional<GameJavaArchitecture> gameJavaArchitecture() const override;

    // Common answers.
    static Answers nothing() { return {}; }
    static Answers technicApp();
    static Answers technicAndGame(const QString& architecture, bool translated);

private:
    Answers current(const QString& question) const;

    mutable std::mutex m_mutex;
    std::vector<Answers> m_script;
    int m_poll = 0;
    mutable std::vector<QString> m_questions;
    std::function<void(const QString&)> m_onQuestion;
};

} // namespace orvane::test
