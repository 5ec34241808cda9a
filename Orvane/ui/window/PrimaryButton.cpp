#include "ui/window/PrimaryButton.h"

#include "ui/theme/FittedText.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"

#include <QEvent>
#include <QPainter>

namespace orvane {

namespace {

FittedText titleText(const QString& title)
{
    return {title, OrvaneTheme::largeTitleFont(), PrimaryButton::titleTracking, PrimaryButton::titleMinimumScale};
}

// The symbol's frame: as wide as its nominal size.
constexpr qreal symbolWidth = PrimaryButton::symbolSize;

} // namespace

PrimaryButton::PrimaryButton(QWidget* parent) : QAbstractButton(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    OrvaneKeyboardFocus::attach(this, focusCornerRadius);
}

void PrimaryButton::setTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    updateGeometry();
    update();
}

void PrimaryButton::setSymbol(OrvaneSymbol symbol)
{
    m_symbol = symbol;
    update();
}

void PrimaryButton::setStyle(OrvaneBrutalistPrimaryButtonStyle style)
{
    m_style = style;
    update();
}

QRectF PrimaryButton::titleRect() const
{
    const qreal available = width() - 2 * horizontalPadding - symbolWidth - 2 * spacing - minimumGap;
    const FittedText text = titleText(m_title);
    const qreal scale = text.scaleFor(std::max<qreal>(0, available));
    const qreal natural = QFontMetricsF(text.fontAt(scale)).horizontalAdvance(m_title);
    return {qreal(horizontalPadding), 0, std::min(natural, std::max<qreal>(0, available)), qreal(height())};
}

QSize PrimaryButton::sizeHint() const
{
    const qreal natural = titleText(m_title).naturalSize().width();
    return {int(2 * horizontalPadding + natural + 2 * spacing + minimumGap + symbolWidth), minimumHeight};
}

QSize PrimaryButton::minimumSizeHint() const { return {2 * horizontalPadding, minimumHeight}; }

void PrimaryButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QAbstractButton::changeEvent(event);
}

void PrimaryButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    const bool pressed = isDown();
    const qreal scale = m_style.scale(pressed);
    if (scale != 1) {
        painter.translate(area.center());
        painter.scale(scale, scale);
        painter.translate(-area.center());
    }
    m_style.paint(painter, area, pressed);

    QColor label = m_style.labelColor();
    if (!isEnabled())
        label.setAlphaF(label.alphaF() * 0.45f);
    titleText(m_title).paint(painter, titleRect(), Qt::AlignLeft | Qt::AlignVCenter, label);
    const QRectF symbolRect(area.right() - horizontalPadding - symbolWidth, area.top(), symbolWidth, area.height());
    paintSymbol(painter, m_symbol, symbolRect, symbolSize, label);
}

} // namespace orvane
