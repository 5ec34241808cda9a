#include "ui/window/ReadinessChips.h"

#include "ui/theme/OrvaneAccessibility.h"
#include "ui/theme/OrvaneTheme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace orvane {

namespace {

QFont chipFont() { return OrvaneTheme::tracked(OrvaneTheme::labelFont(), ReadinessChips::tracking); }

} // namespace

ReadinessChips::ReadinessChips(QWidget* parent) : QWidget(parent)
{
    installOrvaneAccessibility();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QColor ReadinessChips::inactiveColor(bool increasedContrast)
{
    return increasedContrast ? OrvaneTheme::white(0.78) : OrvaneTheme::textTertiary();
}

QColor ReadinessChips::colorOf(const Chip& chip) const
{
    if (chip.separator)
        return OrvaneTheme::textTertiary();
    return chip.active ? OrvaneTheme::textPrimary() : inactiveColor(m_increasedContrast);
}

void ReadinessChips::setChips(const QList<Chip>& chips, bool increasedContrast, const QString& accessibleLabel)
{
    if (accessibleName() != accessibleLabel)
        setAccessibleName(accessibleLabel);
    if (chips == m_chips && increasedContrast == m_increasedContrast)
        return;
    m_chips = chips;
    m_increasedContrast = increasedContrast;
    updateGeometry();
    update();
}

QSize ReadinessChips::sizeHint() const
{
    const QFontMetricsF metrics(chipFont());
    qreal width = 0;
    for (const Chip& chip : m_chips)
        width += metrics.horizontalAdvance(chip.text);
    if (!m_chips.isEmpty())
        width += (m_chips.size() - 1) * spacing;
    return {int(std::ceil(width)), int(std::ceil(metrics.height()))};
}

void ReadinessChips::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(chipFont());
    const QFontMetricsF metrics(chipFont());
    qreal x = 0;
    for (const Chip& chip : m_chips) {
        const qreal w = metrics.horizontalAdvance(chip.text);
        painter.setPen(colorOf(chip));
        painter.drawText(QRectF(x, 0, w, height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, chip.text);
        x += w + spacing;
    }
}

} // namespace orvane
