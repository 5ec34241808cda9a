#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

namespace orvane {

// The few system symbols the window shows, drawn as paths so they look the same everywhere.
enum class OrvaneSymbol {
    ellipsis,       // three dots: the Details button
    arrowUpForward, // the primary button of a handoff pack
    playFill,       // the primary button of a direct pack
    chevronDown,    // the pack button
};

// Draws `symbol` at `pointSize` (the symbol's nominal size, like a font size), centred in `rect`.
void paintSymbol(QPainter& painter, OrvaneSymbol symbol, const QRectF& rect, qreal pointSize, const QColor& color);

} // namespace orvane
