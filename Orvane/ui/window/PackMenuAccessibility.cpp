#include "ui/window/PackMenuAccessibility.h"

#include "ui/theme/OrvaneAccessibility.h"
#include "ui/window/PackButton.h"
#include "ui/window/PackMenu.h"

namespace orvane {

namespace {

class PackButtonElement final : public PressableElement {
public:
    explicit PackButtonElement(PackButton* button) : PressableElement(button, QAccessible::Button) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = PressableElement::state();
        state.hasPopup = true;
        return state;
    }

    int childCount() const override { return openMenu() ? 1 : 0; }

    QAccessibleInterface* child(int index) const override
    {
        PackMenu* menu = openMenu();
        return index == 0 && menu ? QAccessible::queryAccessibleInterface(menu) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && openMenu() && child->object() == openMenu() ? 0 : -1;
    }

private:
    PackMenu* openMenu() const
    {
        PackMenu* menu = static_cast<PackButton*>(widget())->menu();
        return menu && menu->isVisible() ? menu : nullptr;
    }
};

class PackMenuElement final : public QAccessibleWidget {
public:
    explicit PackMenuElement(PackMenu* menu) : QAccessibleWidget(menu, QAccessible::PopupMenu) {}

    QAccessibleInterface* parent() const override
    {
        if (QWidget* anchor = static_cast<PackMenu*>(widget())->anchor())
            return QAccessible::queryAccessibleInterface(anchor);
        return QAccessibleWidget::parent();
    }
};

QAccessibleInterface* packMenuElement(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("orvane::PackButton"))
        return new PackButtonElement(static_cast<PackButton*>(object));
    if (className == QLatin1String("orvane::PackMenu"))
        return new PackMenuElement(static_cast<PackMenu*>(object));
    // The rows and "Choose instance…" (a text button like RESTORE, but inside the menu).
    const bool inMenu = qobject_cast<PackMenu*>(object->parent()) != nullptr;
    if (inMenu && (className == QLatin1String("orvane::PackRow") || className == QLatin1String("orvane::TextButton")))
        return new PressableElement(static_cast<QAbstractButton*>(object), QAccessible::MenuItem);
    return nullptr;
}

} // namespace

void installPackMenuAccessibility() { installAccessibleFactoryOnce(packMenuElement); }

} // namespace orvane
