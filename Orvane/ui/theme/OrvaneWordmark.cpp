#include "ui/theme/OrvaneWordmark.h"

#include "ui/theme/OrvaneAccessibility.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace orvane {

OrvaneWordmark::OrvaneWordmark(qreal pixel, QWidget* parent) : QWidget(parent), m_pixel(pixel)
{
    installOrvaneAccessibility();
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("orvane"));
}

bool OrvaneWordmark::isFilled(int column, int row)
{
    if (row < 0 || row >= rows)
        return false;
    if (column >= 0 && column < 7) {
        // The shorter first character occupies rows 2–6.
        const int r = row - (rows - int(first.size()));
        return r >= 0 && (first[std::size_t(r)] & (64 >> column));
    }
    if (column >= 8 && column < columns)
        return second[std::size_t(row)] & (64 >> (column - 8));
    return false;
}

QSize OrvaneWordmark::sizeHint() const
{
    return {int(std::ceil(columns * m_pixel)), int(std::ceil(rows * m_pixel))};
}

void OrvaneWordmark::paintEvent(QPaintEvent*)
{
    const QPointF origin((width() - columns * m_pixel) / 2, (height() - rows * m_pixel) / 2);
    QPainterPath cells;
    cells.setFillRule(Qt::WindingFill);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            if (isFilled(column, row))
                cells.addRect(origin.x() + column * m_pixel, origin.y() + row * m_pixel, m_pixel, m_pixel);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(cells, Qt::white);
}

} // namespace orvane
