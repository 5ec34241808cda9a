#include "ui/window/LaunchWatchCard.h"

#include "ui/theme/FittedText.h"
#include "ui/theme/OrvaneAccessibility.h"
#include "ui/theme/OrvaneButtonStyles.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/TextButton.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimerEvent>

namespace orvane {

namespace {

FittedText titleText(const QString& title)
{
    return {title, OrvaneTheme::titleFont(), LaunchWatchCard::titleTracking, LaunchWatchCard::titleMinimumScale};
}

constexpr int spinnerStepMilliseconds = 80;
constexpr int spinnerSteps = 12;

} // namespace

LaunchWatchCard::LaunchWatchCard(QWidget* parent)
    : QWidget(parent), m_cancel(new TextButton(QStringLiteral("CANCEL"), OrvaneTheme::labelFont(), 1.5, this))
{
    installOrvaneAccessibility();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_cancel->setAccessibleDescription(
        QStringLiteral("Stops Orvane’s launch observation. It does not quit Technic or Minecraft."));
    OrvaneKeyboardFocus::attach(m_cancel, 3);
    m_cancel->hide();
    connect(m_cancel, &QAbstractButton::clicked, this, &LaunchWatchCard::cancelRequested);
}

void LaunchWatchCard::setLook(const Look& look)
{
    if (look == m_look)
        return;
    m_look = look;
    setAccessibleName(look.title);
    m_cancel->setVisible(look.showCancel);
    m_cancel->setEnabled(look.cancelEnabled);
    updateSpinner();
    place();
    update();
}

QColor LaunchWatchCard::fill() const
{
    return m_look.reduceTransparency ? OrvaneTheme::surface() : OrvaneMaterial::ultraThin();
}

QRectF LaunchWatchCard::spinnerRect() const
{
    qreal right = width() - horizontalPadding;
    if (m_look.showCancel)
        right -= m_cancel->sizeHint().width() + spacing;
    return {right - spinnerSize, (height() - spinnerSize) / 2.0, qreal(spinnerSize), qreal(spinnerSize)};
}

QSize LaunchWatchCard::sizeHint() const
{
    int width = 2 * horizontalPadding + int(titleText(m_look.title).naturalSize().width()) + spacing + minimumGap
        + spacing + spinnerSize;
    if (m_look.showCancel)
        width += spacing + m_cancel->sizeHint().width();
    return {width, minimumHeight};
}

QSize LaunchWatchCard::minimumSizeHint() const { return {2 * horizontalPadding, minimumHeight}; }

void LaunchWatchCard::place()
{
    const QSize cancel = m_cancel->sizeHint();
    m_cancel->setGeometry(width() - horizontalPadding - cancel.width(), (height() - cancel.height()) / 2,
                          cancel.width(), cancel.height());
}

void LaunchWatchCard::resizeEvent(QResizeEvent*) { place(); }

void LaunchWatchCard::updateSpinner()
{
    if (isVisible() && !m_look.reduceMotion)
        m_spin.start(spinnerStepMilliseconds, this);
    else
        m_spin.stop();
}

void LaunchWatchCard::showEvent(QShowEvent*) { updateSpinner(); }
void LaunchWatchCard::hideEvent(QHideEvent*) { m_spin.stop(); }

void LaunchWatchCard::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_spin.timerId())
        return QWidget::timerEvent(event);
    m_phase = (m_phase + 1) % spinnerSteps;
    update(spinnerRect().toAlignedRect().adjusted(-2, -2, 2, 2));
}

void LaunchWatchCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    paintRoundedPanel(painter, area, cornerRadius, {fill()}, OrvaneTheme::panelStroke(), borderWidth());

    const QRectF spinner = spinnerRect();
    const qreal titleRoom = std::max<qreal>(0, spinner.left() - spacing - minimumGap - spacing - horizontalPadding);
    titleText(m_look.title)
        .paint(painter, QRectF(horizontalPadding, 0, titleRoom, area.height()), Qt::AlignLeft | Qt::AlignVCenter,
               OrvaneTheme::textPrimary());

    // An indeterminate spinner: twelve spokes, the brightest one turning.
    const QPointF centre = spinner.center();
    for (int i = 0; i < spinnerSteps; ++i) {
        const qreal age = qreal((m_phase - i + spinnerSteps) % spinnerSteps) / spinnerSteps;
        QColor spoke = OrvaneTheme::lime();
        spoke.setAlphaF(float(1.0 - 0.8 * age));
        painter.save();
        painter.translate(centre);
        painter.rotate(i * 360.0 / spinnerSteps);
        painter.setPen(QPen(spoke, 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -spinnerSize * 0.22), QPointF(0, -spinnerSize * 0.48));
        painter.restore();
    }
}

} // namespace orvane
