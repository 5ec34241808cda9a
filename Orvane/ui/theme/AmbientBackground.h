#pragma once

#include <QRectF>

class QPainter;

namespace orvane {

// The window background: the theme's near-black with, unless transparency is reduced, a faint white
// glow centred a little below the middle.
class AmbientBackground final {
public:
    static constexpr qreal glowOpacity = 0.035;
    static constexpr qreal glowRadius = 520;

    AmbientBackground() = delete;

    static QPointF glowCentre(const QRectF& area) { return {area.left() + area.width() * 0.5, area.top() + area.height() * 0.52}; }
    static void paint(QPainter& painter, const QRectF& area, bool reduceTransparency);
};

} // namespace orvane
