#pragma once

#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

namespace orvane {

// One line of text in a font with tracking that shrinks, down to a minimum scale, to fit its width;
// never below the theme's smallest type, however small the minimum scale.
struct FittedText {
    QString text;
    QFont font;          // base font
    qreal tracking = 0;  // absolute letter spacing at full size
    qreal minimumScale = 1;

    // Width and line height at full size.
    QSizeF naturalSize() const;
    // The scale at which the text fits `width`: 1 when it fits, never below `minimumScale` nor below
    // the theme's smallest type.
    qreal scaleFor(qreal width) const;
    // Whether the whole text fits `width` at that scale; when it does not, paint() elides it.
    bool fits(qreal width) const;
    // The font (size and tracking) at `scale`.
    QFont fontAt(qreal scale) const;
    // Draws the text in `rect`, shrunk to fit and elided when even the smallest size is too wide.
    void paint(QPainter& painter, const QRectF& rect, Qt::Alignment alignment, const QColor& color) const;
};

} // namespace orvane
