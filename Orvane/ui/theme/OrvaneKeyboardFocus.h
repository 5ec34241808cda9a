#pragma once

#include <QFocusFrame>
#include <QList>
#include <QPointer>

#include <functional>

namespace orvane {

// The keyboard focus ring: a 2-pixel lime rounded rectangle 4 pixels outside a control while it has
// the keyboard focus, and nothing otherwise, so the control's layout never moves. The ring lives on
// the control's window rather than inside the control (inside a scroll area, on its viewport, which
// clips the ring as it clips the control), takes no clicks and, being a focus frame, is no element of
// the accessibility tree.
//
// The ring shows for focus the keyboard moved (Tab, Backtab, a shortcut), and for any focus while a
// screen reader runs; not for the focus a window gives its first control when it opens, nor for a
// click. A control that had its ring when its window went inactive, or a popup opened over it, gets
// it back when the window is active again or the popup closes.
//
// Keys follow the desktop: Return and Enter activate the focused control as Space does, so every
// button with a ring answers them alike, whatever its class.
class OrvaneKeyboardFocus final : public QFocusFrame {
    Q_OBJECT

public:
    static constexpr qreal outset = 4;
    static constexpr qreal lineWidth = 2;

    // Makes `control` focusable by the keyboard only (Tab) and gives it a ring with the given corner radius; the ring is owned
    // by the control's window and follows the control while it has focus.
    static OrvaneKeyboardFocus* attach(QWidget* control, qreal cornerRadius);
    // The ring attached to `control`, if any.
    static OrvaneKeyboardFocus* of(const QWidget* control);

    // Whether a screen reader runs; by default Qt's accessibility bridge says so. Tests replace it
    // (an empty function restores the default).
    static void setScreenReaderProbe(std::function<bool()> probe);
    static bool screenReaderRunning();

    QWidget* control() const { return m_control; }
    qreal cornerRadius() const { return m_cornerRadius; }
    // Whether the ring is drawn: the control has the focus and it came from the keyboard.
    bool ringShown() const;
    // The rounded rectangle the ring strokes, in the coordinates of the control's window.
    QRectF ringRect() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    OrvaneKeyboardFocus(QWidget* control, qreal cornerRadius);
    bool showsFor(Qt::FocusReason reason) const;
    bool activate(QEvent* event);
    void follow();
    void release();
    void place();
    QRectF ringRectIn(const QWidget* target) const;

    QPointer<QWidget> m_control;
    qreal m_cornerRadius;
    bool m_keyboardFocus = false;      // the current focus came from the keyboard
    bool m_shownWhenInactive = false;  // the ring showed when the window lost activation or a popup opened
    QList<QPointer<QWidget>> m_watchedAncestors;
};

} // namespace orvane
