#include "app/support/ScriptedLaunch.h"

#include "json/DescribedError.h"


namespace orvane::test {

void ScriptedLaunch::install(FakeSession& session)
{
    session.script([this](FakeSession::Script& s) {
        s.launchSelectedPack = [this](const LaunchEventHandler& onEvent) { return launch(onEvent); };
        s.cancelActiveLaunch = [this] { return cancel(); };
    });
}

void ScriptedLaunch::setEvents(std::vector<LaunchEvent> events)
{
    const std::lock_guard lock(m_mutex);
    m_events = std::move(events);
}

void ScriptedLaunch::finish(const LaunchResult& result)
{
    const std::lock_guard lock(m_mutex);
    m_result = result;
    m_changed.notify_all();
}

bool ScriptedLaunch::blocked() const
{
    const std::lock_guard lock(m_mutex);
    return m_blocked;
}

int ScriptedLaunch::cancelCalls() const
{
    const std::lock_guard lock(m_mutex);
    return m_cancelCalls;
}

bool ScriptedLaunch::returned() const
{
    const std::lock_guard lock(m_mutex);
    return m_returned;
}

LaunchResult ScriptedLaunch::launch(const LaunchEventHandler& onEvent)
{
    std::vector<LaunchEvent> events;
    {
        const std::lock_guard lock(m_mutex);
        events = m_events;
    }
    for (const LaunchEvent& event : events)
        onEvent(event);

    std::unique_lock lock(m_mutex);
    m_blocked = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_cancelled || m_result.has_value(); });
    m_blocked = false;
    m_returned = true;
    if (m_cancelled)
        throw CancellationError();
    return *m_result;
}

bool ScriptedLaunch::cancel()
{
    const std::lock_guard lock(m_mutex);
    ++m_cancelCalls;
    if (!m_blocked)
        return false;
    m_cancelled = true;
    m_changed.notify_all();
    return true;
}

LaunchEvent sampleEvent(const QUuid& operation, LaunchEventKind kind, const QString& message)
{
    return LaunchEvent{
        QUuid::createUuid(),
        operation,
        LaunchProviderID::officialTechnic,
        PackID::tekkit2,
        kind,
        QDateTime::fromString(QStringLiteral("2026-12-08T07:21:08Z"), Qt::ISODate),
        message,
    };
}

} // namespace orvane::test
