#include "ui/OrvaneAccessibility.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

namespace orvane {

namespace {

QAccessibleInterface* orvaneElement(const QString& className, QObject* object)
{
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
