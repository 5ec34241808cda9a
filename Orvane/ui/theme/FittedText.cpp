#include "ui/theme/FittedText.h"

#include "ui/theme/OrvaneTheme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace orvane {

QFont FittedText::fontAt(qreal scale) const
{
    QFont scaled = font;
    if (font.pixelSize() > 0)
        scaled.setPixelSize(std::max(1, qRound(font.pixelSize() * scale)));
    else
        scaled.setPointSizeF(font.pointSizeF() * scale);
    scaled.setLetterSpacing(QFont::AbsoluteSpacing, tracking * scale);
    return scaled;
}

QSizeF FittedText::naturalSize() const
{
    const QFontMetricsF metrics(fontAt(1));
    return {metrics.horizontalAdvance(text), metrics.height()};
}

qreal FittedText::scaleFor(qreal width) const
{
    // Pixel sizes are whole numbers, so step down one pixel at a time until the text fits.
    const int full = font.pixelSize() > 0 ? font.pixelSize() : qRound(font.pointSizeF());
    const int smallest = std::min(full, OrvaneTheme::minimumTextPixelSize);
    const qreal floor = std::max(minimumScale, qreal(smallest) / full);
    for (int size = full; size >= smallest; --size) {
        const qreal scale = qreal(size) / full;
        if (scale < floor)
            break;
        if (QFontMetricsF(fontAt(scale)).horizontalAdvance(text) <= width)
            return scale;
    }
    return floor;
}

bool FittedText::fits(qreal width) const
{
    return QFontMetricsF(fontAt(scaleFor(width))).horizontalAdvance(text) <= width;
}

void FittedText::paint(QPainter& painter, const QRectF& rect, Qt::Alignment alignment, const QColor& color) const
{
    const QFont fitted = fontAt(scaleFor(rect.width()));
    const QFontMetricsF metrics(fitted);
    const QString shown = metrics.horizontalAdvance(text) <= rect.width()
        ? text
        : metrics.elidedText(text, Qt::ElideRight, rect.width());
    painter.save();
    painter.setFont(fitted);
    painter.setPen(color);
    painter.drawText(rect, int(alignment) | Qt::TextSingleLine, shown);
    painter.restore();
}

} // namespace orvane
