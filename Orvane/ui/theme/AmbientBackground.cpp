#include "ui/theme/AmbientBackground.h"

#include "ui/theme/OrvaneTheme.h"

#include <QPainter>
#include <QRadialGradient>

namespace orvane {

void AmbientBackground::paint(QPainter& painter, const QRectF& area, bool reduceTransparency)
{
    painter.fillRect(area, OrvaneTheme::background());
    if (reduceTransparency)
        return;
    QRadialGradient glow(glowCentre(area), glowRadius);
    glow.setColorAt(0, OrvaneTheme::white(glowOpacity));
    glow.setColorAt(1, OrvaneTheme::white(0));
    painter.fillRect(area, glow);
}

} // namespace orvane
