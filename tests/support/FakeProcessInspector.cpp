#include "support/FakeProcessInspector.h"

#include <algorithm>

namespace orvane::test {

FakeProcessInspector::FakeProcessInspector() : FakeProcessInspector(std::vector<Answers>{Answers{}}) {}

FakeProcessInspector::FakeProcessInspector(std::vector<Answers> script) : m_script(std::move(script))
{
    if (m_script.empty())
        m_script.emplace_back();
}

void FakeProcessInspector::nextPoll()
{
    const std::lock_guard lock(m_mutex);
    ++m_poll;
}

int FakeProcessInspector::pollIndex() const
{
    const std::lock_guard lock(m_mutex);
    return m_poll;
}

std::vector<QString> FakeProcessInspector::questions() const
{
    const std::lock_guard lock(m_mutex);
    return m_questions;
}

void FakeProcessInspector::clearQuestions()
{
    const std::lock_guard lock(m_mutex);
    m_questions.clear();
}

void FakeProcessInspector::setOnQuestion(std::function<void(const QString&)> hook)
{
    const std::lock_guard lock(m_mutex);
    m_onQuestion = std::move(hook);
}

FakeProcessInspector::Answers FakeProcessInspector::current(const QString& question) const
{
    std::function<void(const QString&)> hook;
    {
        const std::lock_guard lock(m_mutex);
        m_questions.push_back(question);
        hook = m_onQuestion;
    }
    if (hook)
        hook(question);
    const std::lock_guard lock(m_mutex);
    return m_script[std::min<std::size_t>(std::size_t(m_poll), m_script.size() - 1)];
}

bool FakeProcessInspector::isProcessRunning(const QString& nameContaining) const
{
    const Answers answers = current(QStringLiteral("name:") + nameContaining);
    return std::any_of(answers.processNames.begin(), answers.processNames.end(), [&](const QString& name) {
        return name.contains(nameContaining, Qt::CaseInsensitive);
    });
}

bool FakeProcessInspector::isApplicationRunning(const QString& bundleIdentifierPrefix) const
{
    const Answers answers = current(QStringLiteral("bundle:") + bundleIdentifierPrefix);
    return std::any_of(answers.bundleIdentifiers.begin(), answers.bundleIdentifiers.end(), [&](const QString& id) {
        return id.toLower().startsWith(bundleIdentifierPrefix.toLower());
    });
}

bool FakeProcessInspector::isGameJavaRunning() const
{
    return current(QStringLiteral("gameJava")).gameJava;
}

bool FakeProcessInspector::isTechnicLauncherJavaRunning() const
{
    return current(QStringLiteral("launcherJava")).technicLauncherJava;
}

std::optional<GameJavaArchitecture> FakeProcessInspector::gameJavaArchitecture() const
{
    return current(QStringLiteral("architecture")).architecture;
}

FakeProcessInspector::Answers FakeProcessInspector::technicApp()
{
    Answers answers;
    answers.processNames = QStringList{QStringLiteral("Technic Launcher")};
    answers.bundleIdentifiers = QStringList{QStringLiteral("net.technicpack.launcher")};
    return answers;
}

FakeProcessInspector::Answers FakeProcessInspector::technicAndGame(const QString& architecture, bool translated)
{
    Answers answers = technicApp();
    answers.processNames.append(QStringLiteral("java"));
    answers.gameJava = true;
    answers.architecture = GameJavaArchitecture{architecture, translated};
    return answers;
}

} // namespace orvane::test
