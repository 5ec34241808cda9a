#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>

namespace orvane {

// Speaks status changes and results to a screen reader. The window and the details sheet decide what
// to announce and when; the announcer only delivers it.
class Announcer {
public:
    virtual ~Announcer() = default;
    // Posts `text` at medium priority.
    virtual void announce(const QString& text) = 0;
    // Whether a screen reader is listening; the window then moves focus to the primary button.
    virtual bool screenReaderRunning() const = 0;
};

// A notification element of a window that carries one announcement as its name: invisible to the eye
// (no size, no paint, no clicks, no focus) but shown to assistive technology.
class AnnouncementRegion final : public QWidget {
    Q_OBJECT

public:
    AnnouncementRegion(QWidget* parent, const QString& text);
};

// Qt 6.4 has no announcement request, and its AT-SPI bridge drops alerts. What Linux screen readers do
// present is a notification that becomes showing: Orca speaks its name then. So each text is shown as
// a fresh notification element, and the latest few are kept (hidden) so that a reader still reading
// an earlier one finds it alive with its own text.
class AccessibleAnnouncer final : public Announcer {
public:
    explicit AccessibleAnnouncer(QWidget* window);
    void announce(const QString& text) override;
    bool screenReaderRunning() const override;

    // The element carrying the latest announcement, or null before the first.
    const AnnouncementRegion* latest() const;

private:
    static constexpr std::size_t kKept = 4;
    QPointer<QWidget> m_window;
    std::deque<QPointer<AnnouncementRegion>> m_regions;
};

} // namespace orvane
