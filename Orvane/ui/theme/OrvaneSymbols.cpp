#include "ui/theme/OrvaneSymbols.h"

#include <QPainter>
#include <QPainterPath>

namespace orvane {

void paintSymbol(QPainter& painter, OrvaneSymbol symbol, const QRectF& rect, qreal pointSize, const QColor& color)
{
    const QPointF c = rect.center();
    const qreal s = pointSize;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, std::max<qreal>(1.5, s * 0.11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (symbol) {
    case OrvaneSymbol::ellipsis: {
        const qreal r = s * 0.1;
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        for (int i = -1; i <= 1; ++i)
            painter.drawEllipse(QPointF(c.x() + i * s * 0.38, c.y()), r, r);
        break;
    }
    case OrvaneSymbol::arrowUpForward: {
        const qreal h = s * 0.34;
        painter.setPen(pen);
        painter.drawLine(QPointF(c.x() - h, c.y() + h), QPointF(c.x() + h, c.y() - h));
        QPainterPath head;
        head.moveTo(c.x() - h * 0.35, c.y() - h);
        head.lineTo(c.x() + h, c.y() - h);
        head.lineTo(c.x() + h, c.y() + h * 0.35);
        painter.drawPath(head);
        break;
    }
    case OrvaneSymbol::playFill: {
        const qreal h = s * 0.36;
        QPainterPath triangle;
        triangle.moveTo(c.x() - h * 0.8, c.y() - h);
        triangle.lineTo(c.x() + h, c.y());
        triangle.lineTo(c.x() - h * 0.8, c.y() + h);
        triangle.closeSubpath();
        painter.fillPath(triangle, color);
        break;
    }
    case OrvaneSymbol::chevronDown: {
        const qreal w = s * 0.34;
        const qreal h = s * 0.18;
        QPainterPath chevron;
        chevron.moveTo(c.x() - w, c.y() - h);
        chevron.lineTo(c.x(), c.y() + h);
        chevron.lineTo(c.x() + w, c.y() - h);
        painter.setPen(pen);
        painter.drawPath(chevron);
        break;
    }
    }
    painter.restore();
}

} // namespace orvane
