#pragma once

#include <QAccessible>
#include <QAccessibleWidget>

class QAbstractButton;

namespace orvane {

// Gives the painted elements their accessible roles (the wordmark a heading, the badge and chips
// static text, the divider a separator, the announcement region a notification, a disclosure title
// an expandable button). Safe to call more than once; every painted element calls it when it is built.
void installOrvaneAccessibility();

// Installs an accessible-interface factory once, however often it is asked to.
void installAccessibleFactoryOnce(QAccessible::InterfaceFactory factory);

// A painted button's element with a role of its own (a disclosure title, a menu item): pressed
// through assistive technology as Qt's own buttons are.
class PressableElement : public QAccessibleWidget {
public:
    PressableElement(QAbstractButton* button, QAccessible::Role role);

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
};

} // namespace orvane
