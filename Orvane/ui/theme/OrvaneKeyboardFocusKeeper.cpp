#include "ui/theme/OrvaneKeyboardFocusKeeper.h"

#include "ui/theme/OrvaneKeyboardFocus.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace orvane {

OrvaneKeyboardFocusKeeper::OrvaneKeyboardFocusKeeper(QWidget* container, WorkProbe working)
    : QObject(container), m_container(container), m_working(std::move(working))
{
}

bool OrvaneKeyboardFocusKeeper::working() const { return !m_working || m_working(); }

std::optional<bool> OrvaneKeyboardFocusKeeper::focusNextPrevChild(bool)
{
    // Qt asks for the next control when the focused one is being disabled: it is the window's focus
    // widget still, though no longer enabled.
    QWidget* focused = m_container->window()->focusWidget();
    if (!focused || focused->isEnabled() || !m_container->isAncestorOf(focused))
        return std::nullopt;
    if (working()) {
        hold(focused);
        return false;
    }
    release();
    const OrvaneKeyboardFocus* ring = OrvaneKeyboardFocus::of(focused);
    return moveOn(focused, ring && ring->ringShown());
}

void OrvaneKeyboardFocusKeeper::settle()
{
    QWidget* held = heldControl();
    if (!held || held->isEnabled() || working())
        return;
    const bool keyboard = m_keyboard;
    release();
    moveOn(held, keyboard);
}

bool OrvaneKeyboardFocusKeeper::moveOn(QWidget* from, bool keyboard)
{
    QWidget* target = neighbour(from, true);
    if (!target)
        return false;
    target->setFocus(keyboard ? Qt::TabFocusReason : Qt::OtherFocusReason);
    return true;
}

void OrvaneKeyboardFocusKeeper::returnFocus(QWidget* opener, QWidget* fallback, bool keyboard)
{
    QWidget* target = takesFocus(opener) ? opener : takesFocus(fallback) ? fallback : nullptr;
    if (!target && opener)
        target = neighbour(opener, true);
    if (!target)
        return;
    release();
    if (!target->hasFocus())
        target->setFocus(keyboard ? Qt::TabFocusReason : Qt::OtherFocusReason);
}

bool OrvaneKeyboardFocusKeeper::takesFocus(const QWidget* control)
{
    return control && control->isEnabled() && control->isVisibleTo(control->window())
        && (control->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

QWidget* OrvaneKeyboardFocusKeeper::heldControl() const { return focusIsFree() ? m_held.data() : nullptr; }

bool OrvaneKeyboardFocusKeeper::focusIsFree() const { return m_held && !m_held->window()->focusWidget(); }

void OrvaneKeyboardFocusKeeper::hold(QWidget* control)
{
    release();
    const OrvaneKeyboardFocus* ring = OrvaneKeyboardFocus::of(control);
    m_keyboard = ring && ring->ringShown();
    m_held = control;
    m_window = control->window();
    control->installEventFilter(this);
    m_window->installEventFilter(this);
}

void OrvaneKeyboardFocusKeeper::release()
{
    if (m_held)
        m_held->removeEventFilter(this);
    if (m_window)
        m_window->removeEventFilter(this);
    m_held = nullptr;
    m_window = nullptr;
    m_keyboard = false;
}

// The next (or previous) control Tab would reach from `from`.
QWidget* OrvaneKeyboardFocusKeeper::neighbour(QWidget* from, bool next)
{
    QWidget* window = from->window();
    for (QWidget* w = next ? from->nextInFocusChain() : from->previousInFocusChain(); w && w != from;
         w = next ? w->nextInFocusChain() : w->previousInFocusChain()) {
        if (w->window() == window && takesFocus(w) && !w->focusProxy() && w != window)
            return w;
    }
    return nullptr;
}

bool OrvaneKeyboardFocusKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_held)
        return false;
    if (watched == m_held && event->type() == QEvent::EnabledChange && m_held->isEnabled()) {
        QWidget* control = m_held;
        const bool keyboard = m_keyboard;
        const bool free = focusIsFree();
        release();
        if (free && control->isVisible())
            control->setFocus(keyboard ? Qt::TabFocusReason : Qt::OtherFocusReason);
    } else if (watched == m_window && event->type() == QEvent::KeyPress && focusIsFree()) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
        const bool backtab = key->key() == Qt::Key_Backtab || (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
        if (!tab && !backtab)
            return false;
        QWidget* target = neighbour(m_held, tab);
        release();
        if (target)
            target->setFocus(tab ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return target != nullptr;
    }
    return false;
}

} // namespace orvane
