#include "ui/theme/DisclosureGroup.h"

#include "ui/theme/OrvaneAccessibility.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/OrvaneTheme.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace orvane {

namespace {

constexpr int triangleSide = 7;
constexpr int triangleGap = 8;

} // namespace

DisclosureToggle::DisclosureToggle(const QColor& color, QWidget* parent) : QAbstractButton(parent), m_color(color)
{
    installOrvaneAccessibility();
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    OrvaneKeyboardFocus::attach(this, 3);
    connect(this, &QAbstractButton::toggled, this, [this] {
        QAccessible::State changed;
        changed.expanded = true;
        changed.collapsed = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    });
}

void DisclosureToggle::setTitle(const QString& title)
{
    m_title = title;
    setAccessibleName(title);
    updateGeometry();
    update();
}

QSize DisclosureToggle::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {triangleSide + triangleGap + metrics.horizontalAdvance(m_title) + 2, metrics.height() + 4};
}

void DisclosureToggle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor color = m_color;
    if (isDown())
        color.setAlphaF(color.alphaF() * 0.7f);
    const qreal middle = height() / 2.0;
    QPainterPath triangle;
    if (isChecked()) { // pointing down
        triangle.moveTo(0, middle - triangleSide / 3.0);
        triangle.lineTo(triangleSide, middle - triangleSide / 3.0);
        triangle.lineTo(triangleSide / 2.0, middle + triangleSide / 2.0);
    } else { // pointing right
        triangle.moveTo(1, middle - triangleSide / 2.0);
        triangle.lineTo(triangleSide - 1, middle);
        triangle.lineTo(1, middle + triangleSide / 2.0);
    }
    triangle.closeSubpath();
    painter.fillPath(triangle, color);
    painter.setPen(color);
    painter.drawText(QRect(triangleSide + triangleGap, 0, width(), height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_title);
}

DisclosureGroup::DisclosureGroup(const QColor& color, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toggle = new DisclosureToggle(color, this);
    m_toggle->setFont(OrvaneTheme::labelFont());
    m_body = new QWidget(this);
    m_bodyLayout = new QVBoxLayout(m_body);
    m_bodyLayout->setContentsMargins(0, 8, 0, 0);
    m_bodyLayout->setSpacing(8);
    m_body->hide();
    layout->addWidget(m_toggle, 0, Qt::AlignLeft);
    layout->addWidget(m_body);
    connect(m_toggle, &QAbstractButton::toggled, m_body, &QWidget::setVisible);
}

void DisclosureGroup::setTitle(const QString& title)
{
    m_toggle->setTitle(title);
}

QString DisclosureGroup::title() const
{
    return m_toggle->title();
}

bool DisclosureGroup::isExpanded() const
{
    return m_toggle->isChecked();
}

void DisclosureGroup::setExpanded(bool expanded)
{
    m_toggle->setChecked(expanded);
}

} // namespace orvane
