#include "ui/theme/TerminalDivider.h"

#include "ui/theme/OrvaneAccessibility.h"
#include "ui/theme/OrvaneTheme.h"

#include <QPainter>

namespace orvane {

TerminalDivider::TerminalDivider(QWidget* parent) : QWidget(parent)
{
    installOrvaneAccessibility();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(1);
}

QColor TerminalDivider::color() { return OrvaneTheme::white(0.12); }

void TerminalDivider::paint(QPainter& painter, const QRectF& rect)
{
    painter.fillRect(QRectF(rect.left(), rect.top(), rect.width(), 1), color());
}

void TerminalDivider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, rect());
}

} // namespace orvane
