#include "ui/theme/FlatButton.h"

#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace orvane {

namespace {

QFont titleFont()
{
    return OrvaneTheme::bodyFont();
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t),
                            float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

} // namespace

FlatButton::FlatButton(const QString& title, QWidget* parent) : QAbstractButton(parent), m_title(title)
{
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_pressAnimation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_pressAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_pressAmount = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::pressed, this, [this] { animatePress(true); });
    connect(this, &QAbstractButton::released, this, [this] { animatePress(false); });
    OrvaneKeyboardFocus::attach(this, OrvaneFlatButtonStyle::cornerRadius);
}

void FlatButton::setTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    setAccessibleName(title);
    updateGeometry();
    update();
}

void FlatButton::setDestructive(bool destructive)
{
    m_destructive = destructive;
    update();
}

void FlatButton::setStyle(OrvaneFlatButtonStyle style)
{
    m_style = style;
    update();
}

QSize FlatButton::sizeHint() const
{
    const QFontMetrics metrics(titleFont());
    return {metrics.horizontalAdvance(m_title) + 24, std::max(OrvaneFlatButtonStyle::minimumHeight, metrics.height() + 16)};
}

QSize FlatButton::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void FlatButton::animatePress(bool down)
{
    const qreal target = down ? 1 : 0;
    m_pressAnimation.stop();
    if (m_style.animationMilliseconds() == 0) {
        m_pressAmount = target;
        update();
        return;
    }
    m_pressAnimation.setDuration(m_style.animationMilliseconds());
    m_pressAnimation.setStartValue(m_pressAmount);
    m_pressAnimation.setEndValue(target);
    m_pressAnimation.start();
}

void FlatButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QAbstractButton::changeEvent(event);
}

void FlatButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal scale = 1 + (m_style.scale(true) - 1) * m_pressAmount;
    painter.translate(area.center());
    painter.scale(scale, scale);
    painter.translate(-area.center());
    if (!isEnabled())
        painter.setOpacity(0.45);

    OrvaneFlatButtonStyle look = m_style;
    const QColor fill = mix(look.fill(false), look.fill(true), m_pressAmount);
    paintRoundedPanel(painter, area, OrvaneFlatButtonStyle::cornerRadius, {fill}, look.borderColor(), 1);

    painter.setFont(titleFont());
    painter.setPen(m_destructive && !m_style.prominent ? OrvaneTheme::red() : look.labelColor());
    painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, m_title);
}

} // namespace orvane
