// The pack menu as a screen reader finds it: below the pack button, a popup menu of named items.

#include "WindowHarness.h"

#include "ui/window/PackButton.h"
#include "ui/window/PackMenu.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>

namespace orvane {
namespace {

namespace states = test::states;

TEST(PackMenuAccessibility, TheOpenMenuAndItsItemsAreInTheTreeBelowThePackButtonWithRolesAndNames)
{
    AppModelState direct = states::ready();
    PackDescriptor skyfall = PackDescriptor::tekkit2;
    skyfall.id = *PackID::fromRawValue(QStringLiteral("skyfall"));
    skyfall.name = QStringLiteral("Skyfall");
    skyfall.version = QStringLiteral("2.0");
    skyfall.launchMode = LaunchMode::direct;
    direct.availablePacks = {PackDescriptor::tekkit2, skyfall};
    direct.selectedPackID = skyfall.id;
    struct Item {
        QAccessible::Role role;
        QString name;
    };
    struct Case {
        const char* name;
        AppModelState state;
        std::vector<Item> items;
    };
    const Case cases[] = {
        {"a pack handed to Technic", states::ready(),
         {{QAccessible::MenuItem, QStringLiteral("Tekkit 2 1.2.6")}, {QAccessible::Separator, QString()},
          {QAccessible::MenuItem, QStringLiteral("Choose instance…")}}},
        {"a direct pack", direct,
         {{QAccessible::MenuItem, QStringLiteral("Tekkit 2 1.2.6")}, {QAccessible::MenuItem, QStringLiteral("Skyfall 2.0")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::WindowHarness window;
        window.setState(c.state);
        window.activate();
        ContentView& view = window.view();
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(view.packButton());
        EXPECT_EQ(button->childCount(), 0) << "nothing below the button while the menu is closed";
        view.packButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(view.windowHandle(), Qt::Key_Space);
        ASSERT_TRUE(view.showingPackMenu());

        // Found from the window down, as a screen reader walks it.
        QAccessibleInterface* menu = nullptr;
        for (QAccessibleInterface* element : test::visibleAccessibleElements(QAccessible::queryAccessibleInterface(&view)))
            if (element->role() == QAccessible::PopupMenu)
                menu = element;
        ASSERT_NE(menu, nullptr) << "the menu is in the tree";
        EXPECT_EQ(menu->object(), view.packMenu());
        EXPECT_EQ(menu->text(QAccessible::Name), QStringLiteral("Packs"));
        EXPECT_EQ(menu->parent()->object(), view.packButton());
        EXPECT_EQ(button->indexOfChild(menu), 0);
        ASSERT_EQ(menu->childCount(), int(c.items.size()));
        for (int i = 0; i < menu->childCount(); ++i) {
            QAccessibleInterface* item = menu->child(i);
            SCOPED_TRACE(c.items[std::size_t(i)].name.toStdString());
            EXPECT_EQ(item->role(), c.items[std::size_t(i)].role);
            EXPECT_EQ(item->text(QAccessible::Name), c.items[std::size_t(i)].name);
            EXPECT_EQ(item->parent()->object(), view.packMenu());
            EXPECT_EQ(menu->indexOfChild(item), i);
            if (item->role() == QAccessible::MenuItem) {
                ASSERT_NE(item->actionInterface(), nullptr);
                EXPECT_TRUE(item->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
            }
        }
        EXPECT_TRUE(menu->child(0)->state().focused) << "the first item has the focus";

        // The last item is pressed through assistive technology: the menu closes and leaves the tree.
        QAccessibleInterface* last = menu->child(menu->childCount() - 1);
        last->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
        EXPECT_FALSE(view.showingPackMenu());
        EXPECT_EQ(button->childCount(), 0);
        if (c.items.back().name == QStringLiteral("Choose instance…")) {
            EXPECT_EQ(window.chooser().shown, 1);
        } else {
            EXPECT_EQ(window.operations().selectedPack, skyfall.id);
        }
    }
}

} // namespace
} // namespace orvane
