#include "ui/theme/OrvaneAccessibility.h"

#include "ui/theme/DisclosureGroup.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

namespace orvane {

namespace {

// A disclosure group's title: a button that expands and collapses its group. Qt would read a
// checkable button as a check box, "checked"; a screen reader should say "collapsed".
class DisclosureElement final : public QAccessibleWidget {
public:
    explicit DisclosureElement(DisclosureToggle* toggle) : QAccessibleWidget(toggle, QAccessible::Button) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        const auto* toggle = static_cast<const DisclosureToggle*>(widget());
        state.checkable = false;
        state.checked = false;
        state.expandable = true;
        state.expanded = toggle->isChecked();
        state.collapsed = !toggle->isChecked();
        state.pressed = toggle->isDown();
        return state;
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& actionName) override
    {
        if (actionName == pressAction() && widget()->isEnabled())
            static_cast<DisclosureToggle*>(widget())->click();
        else
            QAccessibleWidget::doAction(actionName);
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

void installOrvaneAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(orvaneElement);
        return true;
    }();
    (void)installed;
}

} // namespace orvane
