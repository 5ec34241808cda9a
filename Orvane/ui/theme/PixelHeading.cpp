#include "ui/theme/PixelHeading.h"

#include "ui/theme/OrvaneAccessibility.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/PixelHeadingFont.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace orvane {

PixelHeading::PixelHeading(const QString& text, qreal pixel, QColor color, int tracking, QWidget* parent)
    : QWidget(parent), m_text(text), m_pixel(pixel), m_color(color.isValid() ? color : OrvaneTheme::textSecondary()),
      m_tracking(tracking)
{
    installOrvaneAccessibility();
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(m_text);
}

void PixelHeading::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(m_text);
    updateGeometry();
    update();
}

QSizeF PixelHeading::measure(const QString& text, qreal pixel, int tracking)
{
    const auto n = PixelHeadingFont::characters(text.toUpper()).size();
    const qreal columns = n == 0 ? 0 : qreal(n * PixelHeadingFont::glyphWidth + (n - 1) * tracking);
    return {columns * pixel, PixelHeadingFont::glyphHeight * pixel};
}

void PixelHeading::paint(QPainter& painter, QPointF origin, const QString& text, qreal pixel, const QColor& color,
                         int tracking)
{
    const QStringList characters = PixelHeadingFont::characters(text.toUpper());
    QPainterPath squares;
    squares.setFillRule(Qt::WindingFill);
    qreal pen = origin.x();
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const PixelHeadingFont::Glyph rows = PixelHeadingFont::glyph(characters[i]);
        for (int r = 0; r < PixelHeadingFont::glyphHeight; ++r)
            for (int c = 0; c < PixelHeadingFont::glyphWidth; ++c)
                if (rows[std::size_t(r)] & (16 >> c))
                    squares.addRect(pen + c * pixel, origin.y() + r * pixel, pixel, pixel);
        pen += PixelHeadingFont::glyphWidth * pixel;
        if (i + 1 < characters.size())
            pen += tracking * pixel;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(squares, color);
    painter.restore();
}

QSize PixelHeading::sizeHint() const
{
    const QSizeF size = measure(m_text, m_pixel, m_tracking);
    return {int(std::ceil(size.width())), int(std::ceil(size.height()))};
}

void PixelHeading::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QSizeF size = measure(m_text, m_pixel, m_tracking);
    const QPointF origin((width() - size.width()) / 2, (height() - size.height()) / 2);
    paint(painter, origin, m_text, m_pixel, m_color, m_tracking);
}

} // namespace orvane
