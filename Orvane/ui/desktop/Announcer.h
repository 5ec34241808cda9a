#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

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

// The hidden element of a window whose name carries the latest announcement.
class AnnouncementRegion final : public QWidget {
    Q_OBJECT

public:
    explicit AnnouncementRegion(QWidget* parent);
};

// Qt 6.4 has no announcement request: the text becomes the name of a hidden notification element of
// the window, and a name change and an alert are raised on it, which screen readers read out.
class AccessibleAnnouncer final : public Announcer {
public:
    explicit AccessibleAnnouncer(QWidget* window);
    void announce(const QString& text) override;
    bool screenReaderRunning() const override;

private:
    QPointer<AnnouncementRegion> m_region;
};

} // namespace orvane
