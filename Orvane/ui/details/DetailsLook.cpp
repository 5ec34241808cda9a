#include "ui/details/DetailsLook.h"

#include "ui/theme/OrvaneTheme.h"

namespace orvane::DetailsLook {

QColor secondaryColor(bool increasedContrast)
{
    return increasedContrast ? QColor(Qt::white) : OrvaneTheme::textSecondary();
}

QFont rowFont(QFont::Weight weight)
{
    return OrvaneTheme::monospaced(12, weight);
}

QLabel* text(const QString& content, const QFont& font, const QColor& color, QWidget* parent, bool selectable)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(content);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (selectable)
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setTextColor(*label, color);
    return label;
}

void setTextColor(QLabel& label, const QColor& color)
{
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label.setPalette(palette);
}

QColor textColor(const QLabel& label)
{
    return label.palette().color(QPalette::WindowText);
}

} // namespace orvane::DetailsLook
