#pragma once

#include <QColor>
#include <QList>
#include <QRectF>

class QPainter;

namespace orvane {

// The four button looks of the theme. Each paints the background and border of a button's rect for
// its pressed state and says the label colour and the press scale; none reads the enabled state and
// none draws a focus indication (OrvaneKeyboardFocus does).

// The small icon button in the window's header.
struct OrvaneUtilityButtonStyle {
    static constexpr qreal cornerRadius = 7;

    bool reduceTransparency = false;
    bool increaseContrast = false;

    QColor labelColor() const;
    QColor fill(bool pressed) const;
    QColor borderColor() const;
    qreal borderWidth() const;
    void paint(QPainter& painter, const QRectF& rect, bool pressed) const;
};

// The primary button: a material panel with a firm border that shrinks a little while pressed.
struct OrvaneBrutalistPrimaryButtonStyle {
    static constexpr qreal cornerRadius = 8;

    bool reduceTransparency = false;
    bool increaseContrast = false;
    bool reduceMotion = false;

    QColor labelColor() const;
    // Fills laid over each other, back to front.
    QList<QColor> fills(bool pressed) const;
    QColor borderColor() const;
    qreal borderWidth() const;
    qreal scale(bool pressed) const;
    void paint(QPainter& painter, const QRectF& rect, bool pressed) const;
};

// The row buttons of the details sheet; `prominent` is the emphasised, near-white look.
struct OrvaneFlatButtonStyle {
    static constexpr qreal cornerRadius = 6;
    static constexpr int minimumHeight = 40;
    static constexpr int pressAnimationMilliseconds = 120; // ease-out

    bool reduceMotion = false;
    bool prominent = false;

    QColor labelColor() const;
    QColor fill(bool pressed) const;
    QColor borderColor() const;
    qreal scale(bool pressed) const;
    // 0 when the pressed-state change is not animated.
    int animationMilliseconds() const;
    void paint(QPainter& painter, const QRectF& rect, bool pressed) const;
};

// A style of the theme that no view applies; kept for a look without the primary button's weight.
struct OrvaneGlassFallbackButtonStyle {
    static constexpr qreal cornerRadius = 7;

    bool reduceMotion = false;
    bool reduceTransparency = false;

    QColor labelColor() const;
    QList<QColor> fills(bool pressed) const;
    QColor borderColor() const;
    qreal scale(bool pressed) const;
    int animationMilliseconds() const;
    void paint(QPainter& painter, const QRectF& rect, bool pressed) const;
};

// The stand-in for the platform's materials, which have no Qt counterpart: translucent white.
struct OrvaneMaterial {
    static QColor regular();
    static QColor ultraThin();
};

// A rounded rectangle filled with `fills` in order and stroked inside its edge.
void paintRoundedPanel(QPainter& painter, const QRectF& rect, qreal radius, const QList<QColor>& fills,
                       const QColor& border, qreal borderWidth);

} // namespace orvane
