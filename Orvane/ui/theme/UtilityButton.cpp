#include "ui/theme/UtilityButton.h"

#include "ui/theme/OrvaneKeyboardFocus.h"

#include <QPainter>

namespace orvane {

UtilityButton::UtilityButton(OrvaneSymbol symbol, QWidget* parent) : QAbstractButton(parent), m_symbol(symbol)
{
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    OrvaneKeyboardFocus::attach(this, OrvaneUtilityButtonStyle::cornerRadius);
}

void UtilityButton::setStyle(OrvaneUtilityButtonStyle style)
{
    m_style = style;
    update();
}

void UtilityButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF area = rect();
    m_style.paint(painter, area, isDown());
    QColor label = m_style.labelColor();
    if (!isEnabled())
        label.setAlphaF(label.alphaF() * 0.45f);
    paintSymbol(painter, m_symbol, area, symbolSize, label);
}

} // namespace orvane
