#include "ui/theme/FittedLabel.h"

#include "ui/theme/OrvaneAccessibility.h"
#include "ui/theme/OrvaneTheme.h"

#include <QPainter>

#include <cmath>

namespace orvane {

FittedLabel::FittedLabel(const QFont& font, qreal tracking, qreal minimumScale, QWidget* parent)
    : QWidget(parent), m_text{QString(), font, tracking, minimumScale}, m_color(OrvaneTheme::textPrimary())
{
    installOrvaneAccessibility();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void FittedLabel::setText(const QString& text)
{
    if (text == m_text.text)
        return;
    m_text.text = text;
    setAccessibleName(text);
    describe();
    updateGeometry();
    update();
}

void FittedLabel::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void FittedLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void FittedLabel::setHint(const QString& hint)
{
    m_hint = hint;
    describe();
}

void FittedLabel::describe()
{
    const bool cut = elided();
    const QString tip = cut ? m_text.text : QString();
    const QString description = cut ? m_text.text : m_hint;
    if (toolTip() != tip)
        setToolTip(tip);
    if (accessibleDescription() != description)
        setAccessibleDescription(description);
}

QSize FittedLabel::sizeHint() const
{
    const QSizeF natural = m_text.naturalSize();
    return {int(std::ceil(natural.width())), int(std::ceil(natural.height()))};
}

QSize FittedLabel::minimumSizeHint() const { return {0, sizeHint().height()}; }

void FittedLabel::resizeEvent(QResizeEvent*) { describe(); }

void FittedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_text.paint(painter, rect(), m_alignment | Qt::AlignVCenter, m_color);
}

} // namespace orvane
