#include "ui/theme/OrvaneButtonStyles.h"

#include "ui/theme/OrvaneTheme.h"

#include <QPainter>
#include <QPainterPath>

namespace orvane {

namespace {

constexpr qreal pressedScale = 0.992;

} // namespace

QColor OrvaneMaterial::regular() { return OrvaneTheme::white(0.07); }
QColor OrvaneMaterial::ultraThin() { return OrvaneTheme::white(0.035); }

void paintRoundedPanel(QPainter& painter, const QRectF& rect, qreal radius, const QList<QColor>& fills,
                       const QColor& border, qreal borderWidth)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(rect, radius, radius);
    for (const QColor& fill : fills)
        painter.fillPath(outline, fill);
    if (borderWidth > 0) {
        // The stroke lies inside the edge, as the clipped shape shows it.
        const qreal inset = borderWidth / 2;
        QPainterPath stroke;
        const qreal inner = std::max<qreal>(0, radius - inset);
        stroke.addRoundedRect(rect.adjusted(inset, inset, -inset, -inset), inner, inner);
        painter.strokePath(stroke, QPen(border, borderWidth));
    }
    painter.restore();
}

// Utility

QColor OrvaneUtilityButtonStyle::labelColor() const { return OrvaneTheme::textPrimary(); }

QColor OrvaneUtilityButtonStyle::fill(bool pressed) const
{
    if (reduceTransparency)
        return OrvaneTheme::surface();
    return OrvaneTheme::white(pressed ? 0.12 : 0.055);
}

QColor OrvaneUtilityButtonStyle::borderColor() const { return OrvaneTheme::white(increaseContrast ? 0.65 : 0.2); }
qreal OrvaneUtilityButtonStyle::borderWidth() const { return increaseContrast ? 2 : 1; }

void OrvaneUtilityButtonStyle::paint(QPainter& painter, const QRectF& rect, bool pressed) const
{
    paintRoundedPanel(painter, rect, cornerRadius, {fill(pressed)}, borderColor(), borderWidth());
}

// Brutalist primary

QColor OrvaneBrutalistPrimaryButtonStyle::labelColor() const { return OrvaneTheme::textPrimary(); }

QList<QColor> OrvaneBrutalistPrimaryButtonStyle::fills(bool pressed) const
{
    if (reduceTransparency)
        return {OrvaneTheme::surface()};
    return {OrvaneMaterial::regular(), OrvaneTheme::white(pressed ? 0.1 : 0.045)};
}

QColor OrvaneBrutalistPrimaryButtonStyle::borderColor() const
{
    return OrvaneTheme::white(increaseContrast ? 0.9 : 0.52);
}

qreal OrvaneBrutalistPrimaryButtonStyle::borderWidth() const { return increaseContrast ? 2 : 1; }

qreal OrvaneBrutalistPrimaryButtonStyle::scale(bool pressed) const
{
    return pressed && !reduceMotion ? pressedScale : 1;
}

void OrvaneBrutalistPrimaryButtonStyle::paint(QPainter& painter, const QRectF& rect, bool pressed) const
{
    paintRoundedPanel(painter, rect, cornerRadius, fills(pressed), borderColor(), borderWidth());
}

// Flat

QColor OrvaneFlatButtonStyle::labelColor() const
{
    return prominent ? QColor(Qt::black) : OrvaneTheme::textPrimary();
}

QColor OrvaneFlatButtonStyle::fill(bool pressed) const
{
    if (prominent)
        return OrvaneTheme::white(pressed ? 0.78 : 0.94);
    return OrvaneTheme::white(pressed ? 0.09 : 0.035);
}

QColor OrvaneFlatButtonStyle::borderColor() const
{
    return prominent ? QColor(Qt::white) : OrvaneTheme::hairline();
}

qreal OrvaneFlatButtonStyle::scale(bool pressed) const { return pressed && !reduceMotion ? pressedScale : 1; }
int OrvaneFlatButtonStyle::animationMilliseconds() const { return reduceMotion ? 0 : pressAnimationMilliseconds; }

void OrvaneFlatButtonStyle::paint(QPainter& painter, const QRectF& rect, bool pressed) const
{
    paintRoundedPanel(painter, rect, cornerRadius, {fill(pressed)}, borderColor(), 1);
}

// Glass fallback

QColor OrvaneGlassFallbackButtonStyle::labelColor() const { return OrvaneTheme::textPrimary(); }

QList<QColor> OrvaneGlassFallbackButtonStyle::fills(bool pressed) const
{
    if (reduceTransparency)
        return {OrvaneTheme::white(pressed ? 0.18 : 0.11)};
    return {OrvaneMaterial::regular(), OrvaneTheme::white(pressed ? 0.1 : 0.045)};
}

QColor OrvaneGlassFallbackButtonStyle::borderColor() const { return OrvaneTheme::hairlineStrong(); }
qreal OrvaneGlassFallbackButtonStyle::scale(bool pressed) const { return pressed && !reduceMotion ? pressedScale : 1; }

int OrvaneGlassFallbackButtonStyle::animationMilliseconds() const
{
    return reduceMotion ? 0 : OrvaneFlatButtonStyle::pressAnimationMilliseconds;
}

void OrvaneGlassFallbackButtonStyle::paint(QPainter& painter, const QRectF& rect, bool pressed) const
{
    paintRoundedPanel(painter, rect, cornerRadius, fills(pressed), borderColor(), 1);
}

} // namespace orvane
