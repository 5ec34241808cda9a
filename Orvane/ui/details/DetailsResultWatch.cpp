#include "ui/details/DetailsResultWatch.h"

#include "ui/desktop/Announcer.h"
#include "ui/details/DetailsOperations.h"
#include "ui/theme/OrvaneKeyboardFocus.h"

#include <QLabel>
#include <QScrollArea>
#include <QTimer>

namespace orvane {

namespace {

// The sheet's operations, each followed by a word to the watch. The word comes after the call: what
// the operation changed at once reaches the sheet in the event loop's next turn, before the watch's
// own look. The sheet's readiness refresh when it appears is no action of the user's and is not watched.
class WatchedOperations final : public DetailsOperations {
public:
    // `started` learns whether the operation's result is already in place (the status a refused page
    // leaves), else it comes with the end of the work the operation starts.
    WatchedOperations(std::shared_ptr<DetailsOperations> operations, std::function<void(bool)> started)
        : m_operations(std::move(operations)), m_started(std::move(started))
    {
    }

    void refreshReadiness() override { m_operations->refreshReadiness(); }
    void performInitialInspection() override { watched(&DetailsOperations::performInitialInspection); }
    void inspect() override { watched(&DetailsOperations::inspect); }
    void checkThisMac() override { watched(&DetailsOperations::checkThisMac); }
    void chooseInstanceFolder(const std::filesystem::path& folder) override
    {
        m_operations->chooseInstanceFolder(folder);
        m_started(false);
    }
    void backUpSettings() override { watched(&DetailsOperations::backUpSettings); }
    void writeDiagnostic() override { watched(&DetailsOperations::writeDiagnostic); }
    void backUpWorlds() override { watched(&DetailsOperations::backUpWorlds); }
    void restoreSettings() override { watched(&DetailsOperations::restoreSettings); }
    void restoreWorlds() override { watched(&DetailsOperations::restoreWorlds); }
    void checkForUpdates() override { watched(&DetailsOperations::checkForUpdates); }
    void reportNotOpened(const QUrl& url) override
    {
        m_operations->reportNotOpened(url);
        m_started(true);
    }

private:
    void watched(void (DetailsOperations::*operation)())
    {
        (m_operations.get()->*operation)();
        m_started(false);
    }

    std::shared_ptr<DetailsOperations> m_operations;
    std::function<void(bool)> m_started;
};

} // namespace

DetailsResultWatch::DetailsResultWatch(std::shared_ptr<DetailsOperations> operations, WorkProbe working,
                                       QObject* parent)
    : QObject(parent), m_working(std::move(working))
{
    // A chooser's coroutine may keep the operations after the sheet, and with it the watch, is gone.
    m_watched = std::make_shared<WatchedOperations>(std::move(operations),
                                                    [self = QPointer<DetailsResultWatch>(this)](bool done) {
                                                        if (self)
                                                            self->expect(done);
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

void DetailsResultWatch::expect(bool done)
{
    for (Line& line : m_lines)
        if (line.label)
            line.text = line.label->text();
    m_pending = true;
    m_done = done;
    m_sawWork = false;
    m_lastShown = nullptr;
    // The model shows what the operation changed at once in the event loop's next turn.
    QTimer::singleShot(0, this, &DetailsResultWatch::settle);
}

void DetailsResultWatch::settle()
{
    if (!m_pending)
        return;
    const bool working = m_working();
    m_sawWork = m_sawWork || working;
    QLabel* changed = nullptr;
    for (Line& line : m_lines) {
        if (!line.label || line.label->text() == line.text)
            continue;
        line.text = line.label->text();
        if (!changed)
            changed = line.label;
    }
    // Work may start a moment after the operation (a chosen folder is handed over first): until then
    // the result is still to come.
    const bool over = !working && (changed || m_sawWork || m_done);
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
