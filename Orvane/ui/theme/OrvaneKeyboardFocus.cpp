#include "ui/theme/OrvaneKeyboardFocus.h"

#include "ui/theme/OrvaneTheme.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace orvane {

namespace {

const char* const ringProperty = "orvaneKeyboardFocus";
// The ring's widget reaches past the ring's outer edge by this much, so antialiasing is not cut.
constexpr int margin = int(OrvaneKeyboardFocus::outset + OrvaneKeyboardFocus::lineWidth) + 1;

std::function<bool()>& screenReaderProbe()
{
    static std::function<bool()> probe;
    return probe;
}

// Where the ring is drawn: on the viewport of the nearest scroll area around the control, which
// clips it with the scrolled content, else on the control's window.
QWidget* ringParent(const QWidget* control)
{
    for (QWidget* ancestor = control->parentWidget(); ancestor && !ancestor->isWindow();
         ancestor = ancestor->parentWidget()) {
        const auto* area = qobject_cast<const QAbstractScrollArea*>(ancestor->parentWidget());
        if (area && area->viewport() == ancestor)
            return ancestor;
    }
    return control->window();
}

bool isActivationKey(const QKeyEvent& key)
{
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace

void OrvaneKeyboardFocus::setScreenReaderProbe(std::function<bool()> probe) { screenReaderProbe() = std::move(probe); }

bool OrvaneKeyboardFocus::screenReaderRunning()
{
    const std::function<bool()>& probe = screenReaderProbe();
    return probe ? probe() : QAccessible::isActive();
}

OrvaneKeyboardFocus::OrvaneKeyboardFocus(QWidget* control, qreal cornerRadius)
    : QFocusFrame(control->window()), m_control(control), m_cornerRadius(cornerRadius)
{
    hide();
    control->installEventFilter(this);
}

OrvaneKeyboardFocus* OrvaneKeyboardFocus::attach(QWidget* control, qreal cornerRadius)
{
    if (auto* existing = of(control)) {
        existing->m_cornerRadius = cornerRadius;
        existing->update();
        return existing;
    }
    // Keyboard focus only: a click does not move the focus (nor show the ring), as on the desktop
    // the design comes from.
    control->setFocusPolicy(Qt::TabFocus);
    auto* ring = new OrvaneKeyboardFocus(control, cornerRadius);
    control->setProperty(ringProperty, QVariant::fromValue(static_cast<QObject*>(ring)));
    QObject::connect(control, &QObject::destroyed, ring, &QObject::deleteLater);
    if (control->hasFocus() && screenReaderRunning()) {
        ring->m_keyboardFocus = true;
        ring->follow();
    }
    return ring;
}

OrvaneKeyboardFocus* OrvaneKeyboardFocus::of(const QWidget* control)
{
    return qobject_cast<OrvaneKeyboardFocus*>(control->property(ringProperty).value<QObject*>());
}

bool OrvaneKeyboardFocus::ringShown() const { return m_control && m_control->hasFocus() && m_keyboardFocus; }

bool OrvaneKeyboardFocus::showsFor(Qt::FocusReason reason) const
{
    switch (reason) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        return true;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        return m_shownWhenInactive || screenReaderRunning();
    default:
        return screenReaderRunning();
    }
}

// Return and Enter click the focused button once; held down, they do not repeat.
bool OrvaneKeyboardFocus::activate(QEvent* event)
{
    const auto& key = static_cast<const QKeyEvent&>(*event);
    auto* button = qobject_cast<QAbstractButton*>(m_control.data());
    if (!button || !isActivationKey(key))
        return false;
    if (!key.isAutoRepeat() && button->isEnabled() && button->isVisible())
        button->click();
    event->accept();
    return true;
}

QRectF OrvaneKeyboardFocus::ringRect() const { return m_control ? ringRectIn(m_control->window()) : QRectF(); }

QRectF OrvaneKeyboardFocus::ringRectIn(const QWidget* target) const
{
    const QPoint origin = m_control->mapTo(target, QPoint(0, 0));
    return QRectF(origin, m_control->size()).adjusted(-outset, -outset, outset, outset);
}


void OrvaneKeyboardFocus::follow()
{
    release();
    if (!m_control)
        return;
    // A control inside a popup or a reparented one may have a new window since the ring was made.
    if (QWidget* parent = ringParent(m_control); parentWidget() != parent)
        setParent(parent);
    for (QWidget* ancestor = m_control->parentWidget(); ancestor && !ancestor->isWindow();
         ancestor = ancestor->parentWidget()) {
        ancestor->installEventFilter(this);
        m_watchedAncestors.append(ancestor);
    }
    place();
    show();
    raise();
}

void OrvaneKeyboardFocus::release()
{
    for (const QPointer<QWidget>& ancestor : std::as_const(m_watchedAncestors))
        if (ancestor)
            ancestor->removeEventFilter(this);
    m_watchedAncestors.clear();
    hide();
}

void OrvaneKeyboardFocus::place()
{
    const QRect ring = ringRectIn(parentWidget()).toAlignedRect();
    setGeometry(ring.adjusted(-margin, -margin, margin, margin));
    update();
}

bool OrvaneKeyboardFocus::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return activate(event);
        case QEvent::FocusIn:
            m_keyboardFocus = showsFor(static_cast<QFocusEvent*>(event)->reason());
            m_shownWhenInactive = false;
            if (m_keyboardFocus)
                follow();
            else
                release();
            break;
        case QEvent::FocusOut: {
            // The window going inactive, or a popup over it, only lends the focus out.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            m_shownWhenInactive =
                (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) && m_keyboardFocus;
            m_keyboardFocus = false;
            release();
            break;
        }
        case QEvent::Hide:
            release();
            break;
        case QEvent::Show:
            if (ringShown())
                follow();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            if (isVisible())
                place();
            break;
        default:
            break;
        }
    } else if (isVisible() && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        place();
    }
    return false;
}

void OrvaneKeyboardFocus::paintEvent(QPaintEvent*)
{
    if (!ringShown())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    const QRectF ring = ringRectIn(parentWidget()).translated(-QPointF(pos()));
    path.addRoundedRect(ring, m_cornerRadius, m_cornerRadius);
    painter.strokePath(path, QPen(OrvaneTheme::lime(), lineWidth));
}

} // namespace orvane
