#include "ui/window/ReadinessBadge.h"

#include "ui/theme/OrvaneAccessibility.h"
#include "ui/theme/OrvaneTheme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace orvane {

namespace {

QFont wordFont() { return OrvaneTheme::tracked(OrvaneTheme::labelFont(), ReadinessBadge::wordTracking); }

// The square's glow: its colour at 0.4 fading out over the glow radius, the same on every side.
void paintGlow(QPainter& painter, const QRectF& square, QColor color)
{
    constexpr int radius = ReadinessBadge::glowRadius;
    for (int i = radius; i >= 1; --i) {
        QColor ring = color;
        ring.setAlphaF(float(0.4 * (1.0 - qreal(i) / (radius + 1)) / 3));
        painter.fillRect(square.adjusted(-i, -i, i, i), ring);
    }
}

} // namespace

ReadinessBadge::ReadinessBadge(QWidget* parent) : QWidget(parent)
{
    installOrvaneAccessibility();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString ReadinessBadge::accessibleLabel(const QString& word) { return QStringLiteral("Readiness: ") + word.toLower(); }

void ReadinessBadge::setLook(const Look& look)
{
    if (look == m_look)
        return;
    m_look = look;
    setAccessibleName(accessibleLabel(look.word));
    updateGeometry();
    update();
}

QSize ReadinessBadge::sizeHint() const
{
    const qreal word = QFontMetricsF(wordFont()).horizontalAdvance(m_look.word);
    const int width = int(std::ceil(std::max<qreal>(word + rowSpacing + square, underlineWidth)));
    return {width + 2 * glowRadius, square + stackSpacing + underlineHeight() + 2 * glowRadius};
}

QRect ReadinessBadge::contentRect() const { return rect().adjusted(glowRadius, glowRadius, -glowRadius, -glowRadius); }

QRectF ReadinessBadge::squareRect() const
{
    const QRect content = contentRect();
    return {qreal(content.right() + 1 - square), qreal(content.top()), qreal(square), qreal(square)};
}

QRectF ReadinessBadge::underlineRect() const
{
    const QRect content = contentRect();
    return {qreal(content.right() + 1 - underlineWidth), qreal(content.top() + square + stackSpacing),
            qreal(underlineWidth), qreal(underlineHeight())};
}

void ReadinessBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF lit = squareRect();
    if (!m_look.reduceTransparency)
        paintGlow(painter, lit, m_look.accent);
    painter.fillRect(lit, m_look.accent);

    QColor underline = m_look.accent;
    underline.setAlphaF(underline.alphaF() * 0.85f);
    painter.fillRect(underlineRect(), underline);

    painter.setFont(wordFont());
    painter.setPen(m_look.accent);
    const QRectF wordRect(contentRect().left(), lit.top(), lit.left() - rowSpacing - contentRect().left(), lit.height());
    painter.drawText(wordRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_look.word);
}

} // namespace orvane
