#include "ui/desktop/Announcer.h"

#include "ui/theme/OrvaneAccessibility.h"

#include <QAccessible>

namespace orvane {

AnnouncementRegion::AnnouncementRegion(QWidget* parent, const QString& text) : QWidget(parent)
{
    installOrvaneAccessibility();
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
    // Named before it is shown: a reader asks for the name when the element appears.
    setAccessibleName(text);
}

AccessibleAnnouncer::AccessibleAnnouncer(QWidget* window) : m_window(window) {}

void AccessibleAnnouncer::announce(const QString& text)
{
    if (!m_window)
        return;
    if (!m_regions.empty() && m_regions.back())
        m_regions.back()->hide();
    while (m_regions.size() >= kKept) {
        if (m_regions.front())
            m_regions.front()->deleteLater();
        m_regions.pop_front();
    }
    auto* region = new AnnouncementRegion(m_window, text);
    m_regions.emplace_back(region);
    // Showing it raises the element's show event, which the AT-SPI bridge sends as "showing".
    region->show();
}

bool AccessibleAnnouncer::screenReaderRunning() const { return QAccessible::isActive(); }

const AnnouncementRegion* AccessibleAnnouncer::latest() const
{
    return m_regions.empty() ? nullptr : m_regions.back().data();
}

} // namespace orvane
