#include "ui/details/DetailsResultWatch.h"

#include "ui/desktop/Announcer.h"
#include "ui/details/DetailsOperations.h"
#include "ui/theme/OrvaneKeyboardFocus.h"

#include <QLabel>
#include <QScrollArea>
#include <QTimer>

namespace orvane {

namespace {

// The sheet's operations, each watched from its start to its end. The end may come before the call
// returns; either way what the operation changed reaches the sheet in the event loop's next turn,
// before the watch's own look. The sheet's readiness refresh when it appears is no action of the
// user's and is not watched.
class WatchedOperations final : public DetailsOperations {
public:
    WatchedOperations(std::shared_ptr<DetailsOperations> operations, std::function<void()> started,
                      std::function<void()> ended)
        : m_operations(std::move(operations)), m_started(std::move(started)), m_ended(std::move(ended))
    {
    }

    QCoro::Task<> refreshReadiness() override { return m_operations->refreshReadiness(); }
    QCoro::Task<> performInitialInspection() override { return watched(m_operations->performInitialInspection()); }
    QCoro::Task<> inspect() override { return watched(m_operations->inspect()); }
    QCoro::Task<> checkThisMac() override { return watched(m_operations->checkThisMac()); }
    QCoro::Task<> chooseInstanceFolder(const std::filesystem::path& folder) override
    {
        return watched(m_operations->chooseInstanceFolder(folder));
    }
    QCoro::Task<> backUpSettings() override { return watched(m_operations->backUpSettings()); }
    QCoro::Task<> writeDiagnostic() override { return watched(m_operations->writeDiagnostic()); }
    QCoro::Task<> backUpWorlds() override { return watched(m_operations->backUpWorlds()); }
    QCoro::Task<> restoreSettings() override { return watched(m_operations->restoreSettings()); }
    QCoro::Task<> restoreWorlds() override { return watched(m_operations->restoreWorlds()); }
    QCoro::Task<> checkForUpdates() override { return watched(m_operations->checkForUpdates()); }
    void reportNotOpened(const QUrl& url) override
    {
        m_started();
        m_operations->reportNotOpened(url);
        m_ended();
    }

private:
    // Called with the operation already started: its changes reach the labels only in a later turn
    // of the event loop, so the texts the watch keeps are still those from before it.
    QCoro::Task<> watched(QCoro::Task<> operation)
    {
        // The watch may be gone when the operation ends: only the copies below are used after the wait.
        std::function<void()> ended = m_ended;
        m_started();
        co_await operation;
        ended();
    }

    std::shared_ptr<DetailsOperations> m_operations;
    std::function<void()> m_started;
    std::function<void()> m_ended;
};

} // namespace

DetailsResultWatch::DetailsResultWatch(std::shared_ptr<DetailsOperations> operations, WorkProbe working,
                                       QObject* parent)
    : QObject(parent), m_working(std::move(working))
{
    // A chooser's coroutine may keep the operations after the sheet, and with it the watch, is gone.
    const QPointer<DetailsResultWatch> self(this);
    m_watched = std::make_shared<WatchedOperations>(
        std::move(operations),
        [self] {
            if (self)
                self->expect();
        },
        [self] {
            if (self)
                self->ended();
        });
}

void DetailsResultWatch::watch(QScrollArea* scroll, std::vector<QLabel*> lines, std::shared_ptr<Announcer> announcer)
{
    m_scroll = scroll;
    m_announcer = std::move(announcer);
    m_lines.clear();
    for (QLabel* line : lines)
        m_lines.push_back({line, line->text()});
}

void DetailsResultWatch::expect()
{
    for (Line& line : m_lines)
        if (line.label)
            line.text = line.label->text();
    ++m_running;
    m_pending = true;
    m_lastShown = nullptr;
}

void DetailsResultWatch::ended()
{
    --m_running;
    // The model's last changes reach the sheet in the event loop's next turn, and with them its result.
    QTimer::singleShot(0, this, &DetailsResultWatch::settle);
}

void DetailsResultWatch::settle()
{
    if (!m_pending)
        return;
    // Work started elsewhere (the main window's) may still run: the result is in once it is over too.
    const bool over = m_running == 0 && !m_working();
    QLabel* changed = nullptr;
    for (Line& line : m_lines) {
        if (!line.label || line.label->text() == line.text)
            continue;
        line.text = line.label->text();
        if (!changed)
            changed = line.label;
    }
    if (changed)
        show(changed);
    else if (over && !m_lastShown && !m_lines.empty() && m_lines.front().label)
        show(m_lines.front().label);
    else if (over && m_lastShown)
        // The control that started the work takes the focus back as it ends, and the view with it:
        // the result it gave is brought back into sight.
        scrollTo(m_lastShown);
    if (over)
        m_pending = false;
}

void DetailsResultWatch::showNow(QLabel* line)
{
    for (Line& watched : m_lines)
        if (watched.label == line)
            watched.text = line->text();
    show(line);
}

void DetailsResultWatch::show(QLabel* line)
{
    m_lastShown = line;
    if (m_announcer)
        m_announcer->announce(line->text());
    scrollTo(line);
}

void DetailsResultWatch::scrollTo(QLabel* line)
{
    // Scrolled once the sheet's layout has taken the new texts and sections in, with what stands above
    // the line in its section (the section's title, the buttons that gave the result) in sight too.
    QTimer::singleShot(0, this, [this, target = QPointer<QLabel>(line)] {
        if (!m_scroll || !target || !target->isVisibleTo(m_scroll->widget()))
            return;
        const int room = int(OrvaneKeyboardFocus::outset + OrvaneKeyboardFocus::lineWidth) + 8;
        m_scroll->ensureWidgetVisible(target, room, room + target->y());
    });
}

} // namespace orvane
