#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

class QPainter;

namespace orvane {

// The faint ASCII-art pickaxe behind the main window's content. Pure decoration: painted by the
// window's background, so it takes no clicks and is no accessible element.
class PickaxeMotif final {
public:
    PickaxeMotif() = delete;

    // The 14 lines joined by line feeds, no trailing line feed.
    static const QString& text();
    // Where the text's centre goes in a space of the given size: 23 % across (at most 230) and 37 %
    // down (at most 280).
    static QPointF centre(QSizeF space);
    static qreal opacity(bool increasedContrast) { return increasedContrast ? 0.16 : 0.075; }
    // The rect the text block occupies in `space`.
    static QRectF textRect(const QRectF& space);
    static void paint(QPainter& painter, const QRectF& space, bool increasedContrast);
};

} // namespace orvane
