#include "ui/desktop/Announcer.h"

#include "ui/theme/OrvaneAccessibility.h"

#include <QAccessible>

namespace orvane {

AnnouncementRegion::AnnouncementRegion(QWidget* parent) : QWidget(parent)
{
    installOrvaneAccessibility();
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
}

AccessibleAnnouncer::AccessibleAnnouncer(QWidget* window) : m_region(new AnnouncementRegion(window)) {}

void AccessibleAnnouncer::announce(const QString& text)
{
    if (!m_region)
        return;
    // Setting the name raises the name change itself.
    m_region->setAccessibleName(text);
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent alert(m_region, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

bool AccessibleAnnouncer::screenReaderRunning() const { return QAccessible::isActive(); }

} // namespace orvane
