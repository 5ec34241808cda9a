#pragma once

#include <QFocusFrame>
#include <QList>
#include <QPointer>

namespace orvane {

// The keyboard focus ring: a 2-pixel lime rounded rectangle 4 pixels outside a control while it has
// the keyboard focus, and nothing otherwise, so the control's layout never moves. The ring lives on
// the control's window rather than inside the control, takes no clicks and, being a focus frame, is
// no element of the accessibility tree.
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

    QWidget* control() const { return m_control; }
    qreal cornerRadius() const { return m_cornerRadius; }
    // The rounded rectangle the ring strokes, in the coordinates of the control's window.
    QRectF ringRect() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    OrvaneKeyboardFocus(QWidget* control, qreal cornerRadius);
    void follow();
    void release();
    void place();

    QPointer<QWidget> m_control;
    qreal m_cornerRadius;
    QList<QPointer<QWidget>> m_watchedAncestors;
};

} // namespace orvane
