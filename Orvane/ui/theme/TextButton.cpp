#include "ui/theme/TextButton.h"

#include "ui/theme/OrvaneTheme.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace orvane {

TextButton::TextButton(const QString& text, const QFont& font, qreal tracking, QWidget* parent)
    : QAbstractButton(parent), m_text(text), m_font(OrvaneTheme::tracked(font, tracking)), m_enabledColor(OrvaneTheme::textPrimary()),
      m_disabledColor(OrvaneTheme::textTertiary())
{
    setAccessibleName(text);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TextButton::setColors(const QColor& enabled, const QColor& disabled)
{
    m_enabledColor = enabled;
    m_disabledColor = disabled;
    update();
}

void TextButton::setVerticalPadding(int padding)
{
    m_verticalPadding = padding;
    updateGeometry();
}

void TextButton::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

QSize TextButton::sizeHint() const
{
    const QFontMetricsF metrics(m_font);
    return {int(std::ceil(metrics.horizontalAdvance(m_text))), int(std::ceil(metrics.height())) + 2 * m_verticalPadding};
}

void TextButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QAbstractButton::changeEvent(event);
}

void TextButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(m_font);
    QColor color = textColor();
    if (isDown())
        color.setAlphaF(color.alphaF() * 0.7f);
    painter.setPen(color);
    painter.drawText(rect(), int(m_alignment | Qt::AlignVCenter) | Qt::TextSingleLine, m_text);
}

} // namespace orvane
