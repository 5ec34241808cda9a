#include "ui/details/HeadingLabel.h"

#include "ui/details/DetailsLook.h"
#include "ui/theme/OrvaneAccessibility.h"

#include <QAccessibleWidget>

namespace orvane {

namespace {

QAccessibleInterface* headingElement(const QString& className, QObject* object)
{
    if (className != QLatin1String("orvane::HeadingLabel") || !object || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Heading);
}

} // namespace

HeadingLabel::HeadingLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
    : QLabel(parent)
{
    installAccessibleFactoryOnce(headingElement);
    setTextFormat(Qt::PlainText);
    setText(text);
    setFont(font);
    DetailsLook::setTextColor(*this, color);
    setAccessibleName(text);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

} // namespace orvane
