#include "ui/theme/OrvaneCard.h"

#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/PixelHeading.h"

#include <QPainter>
#include <QVBoxLayout>

namespace orvane {

OrvaneCard::OrvaneCard(const QString& title, QWidget* content, QWidget* parent)
    : QWidget(parent), m_title(new PixelHeading(title, 2, OrvaneTheme::textSecondary(), 1)), m_content(content)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(spacing);
    layout->addWidget(m_title, 0, Qt::AlignLeft);
    layout->addWidget(m_content);
}

void OrvaneCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(OrvaneTheme::hairline(), 1));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace orvane
