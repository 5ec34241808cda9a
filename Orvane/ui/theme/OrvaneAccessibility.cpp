#include "ui/theme/OrvaneAccessibility.h"

#include "ui/theme/DisclosureGroup.h"

#include <QAbstractButton>
#include <QHash>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace orvane {

namespace {

// A disclosure group's title: a button that expands and collapses its group. Qt would read a
// checkable button as a check box, "checked"; a screen reader should say "collapsed".
class DisclosureElement final : public PressableElement {
public:
    explicit DisclosureElement(DisclosureToggle* toggle) : PressableElement(toggle, QAccessible::Button) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = PressableElement::state();
        const auto* toggle = static_cast<const DisclosureToggle*>(widget());
        state.checkable = false;
        state.checked = false;
        state.expandable = true;
        state.expanded = toggle->isChecked();
        state.collapsed = !toggle->isChecked();
        state.pressed = toggle->isDown();
        return state;
    }
};

QAccessibleInterface* orvaneElement(const QString& className, QObject* object)
{
    if (className == QLatin1String("orvane::DisclosureToggle"))
        return new DisclosureElement(static_cast<DisclosureToggle*>(object));

    static const QHash<QString, QAccessible::Role> roles{
        {QStringLiteral("orvane::OrvaneWordmark"), QAccessible::Heading},
        {QStringLiteral("orvane::PixelHeading"), QAccessible::StaticText},
        {QStringLiteral("orvane::ReadinessBadge"), QAccessible::StaticText},
        {QStringLiteral("orvane::ReadinessChips"), QAccessible::StaticText},
        {QStringLiteral("orvane::FittedLabel"), QAccessible::StaticText},
        {QStringLiteral("orvane::LaunchWatchCard"), QAccessible::Grouping},
        {QStringLiteral("orvane::TerminalDivider"), QAccessible::Separator},
        {QStringLiteral("orvane::AnnouncementRegion"), QAccessible::Notification},
    };
    const auto role = roles.constFind(className);
    if (role == roles.cend() || !object || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), *role);
}

} // namespace

PressableElement::PressableElement(QAbstractButton* button, QAccessible::Role role) : QAccessibleWidget(button, role) {}

QStringList PressableElement::actionNames() const
{
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void PressableElement::doAction(const QString& actionName)
{
    if (actionName == pressAction() && widget()->isEnabled())
        static_cast<QAbstractButton*>(widget())->click();
    else
        QAccessibleWidget::doAction(actionName);
}

void installAccessibleFactoryOnce(QAccessible::InterfaceFactory factory)
{
    // Views are built on the GUI thread only.
    static std::vector<QAccessible::InterfaceFactory> installed;
    if (std::find(installed.begin(), installed.end(), factory) != installed.end())
        return;
    installed.push_back(factory);
    QAccessible::installFactory(factory);
}

void installOrvaneAccessibility() { installAccessibleFactoryOnce(orvaneElement); }

} // namespace orvane
