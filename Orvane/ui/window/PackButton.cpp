#include "ui/window/PackButton.h"

#include "ui/theme/FittedText.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneSymbols.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/window/PackMenu.h"
#include "ui/window/PackMenuAccessibility.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace orvane {

namespace {

QFont versionFont() { return OrvaneTheme::tracked(OrvaneTheme::packFont(), PackButton::versionTracking); }

} // namespace

PackButton::PackButton(QWidget* parent) : QAbstractButton(parent)
{
    installPackMenuAccessibility();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    OrvaneKeyboardFocus::attach(this, 0);
}

void PackButton::setLook(const Look& look)
{
    if (look == m_look)
        return;
    m_look = look;
    updateGeometry();
    update();
}

QColor PackButton::secondaryColor() const
{
    return m_look.increasedContrast ? QColor(Qt::white) : OrvaneTheme::textSecondary();
}

QColor PackButton::nameColor() const { return m_look.ready ? OrvaneTheme::textPrimary() : secondaryColor(); }

QColor PackButton::borderColor() const
{
    return m_look.increasedContrast ? QColor(Qt::white) : OrvaneTheme::panelStroke();
}

QSize PackButton::sizeHint() const
{
    const FittedText name{m_look.name.toUpper(), OrvaneTheme::titleFont(), nameTracking, nameMinimumScale};
    const qreal version = QFontMetricsF(versionFont()).horizontalAdvance(m_look.version);
    return {int(std::ceil(2 * horizontalPadding + name.naturalSize().width() + version + 2 * spacing + minimumGap
                          + chevronSize)),
            minimumHeight};
}

QSize PackButton::minimumSizeHint() const { return {2 * horizontalPadding, minimumHeight}; }

void PackButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QAbstractButton::changeEvent(event);
}

void PackButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    painter.fillRect(area, OrvaneTheme::panelFill());
    const qreal inset = borderWidth() / 2;
    painter.setPen(QPen(borderColor(), borderWidth()));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(inset, inset, -inset, -inset));

    const qreal dim = isEnabled() ? 1 : 0.45;
    auto dimmed = [dim](QColor color) {
        color.setAlphaF(float(color.alphaF() * dim));
        return color;
    };

    // Name and version share the first text baseline; the chevron sits at the right.
    const FittedText name{m_look.name.toUpper(), OrvaneTheme::titleFont(), nameTracking, nameMinimumScale};
    const QFont version = versionFont();
    const QFontMetricsF versionMetrics(version);
    const qreal versionWidth = versionMetrics.horizontalAdvance(m_look.version);
    const qreal chevronLeft = area.right() - horizontalPadding - chevronSize;
    const qreal nameRoom = std::max<qreal>(
        0, chevronLeft - horizontalPadding - spacing - versionWidth - spacing - minimumGap);
    const QFont nameFont = name.fontAt(name.scaleFor(nameRoom));
    const QFontMetricsF nameMetrics(nameFont);
    const qreal nameWidth = std::min(nameRoom, nameMetrics.horizontalAdvance(name.text));
    const qreal baseline = area.center().y() + (nameMetrics.ascent() - nameMetrics.descent()) / 2;

    name.paint(painter, QRectF(horizontalPadding, baseline - nameMetrics.ascent(), nameWidth, nameMetrics.height()),
               Qt::AlignLeft | Qt::AlignTop, dimmed(nameColor()));
    painter.setFont(version);
    painter.setPen(dimmed(secondaryColor()));
    painter.drawText(QPointF(horizontalPadding + nameWidth + spacing, baseline), m_look.version);
    paintSymbol(painter, OrvaneSymbol::chevronDown, QRectF(chevronLeft, area.top(), chevronSize, area.height()),
                chevronSize, dimmed(OrvaneTheme::textPrimary()));
}

} // namespace orvane
