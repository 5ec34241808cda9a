// Where the keyboard is after the pack menu, the folder chooser or a dialog closes: on an enabled
// control (the one that opened it when it can take the focus), from which Tab goes on.

#include "WindowHarness.h"

#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "support/TempDir.h"
#include "ui/desktop/FolderChooser.h"
#include "ui/theme/OrvaneKeyboardFocus.h"
#include "ui/theme/TextButton.h"
#include "ui/window/PackButton.h"
#include "ui/window/PackMenu.h"
#include "ui/window/PrimaryButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include <functional>

namespace orvane {
namespace {

using test::WindowHarness;
namespace states = test::states;

void press(QWidget* inWindow, Qt::Key key)
{
    QTest::keyClick(inWindow->window()->windowHandle(), key);
    QCoreApplication::processEvents();
}

// The focus is on an enabled control of `view`, and Tab moves it to another one.
void expectKeyboardKept(ContentView& view, QWidget* expected)
{
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr) << "no control has the focus";
    EXPECT_TRUE(focused->isEnabled());
    EXPECT_TRUE(view.isAncestorOf(focused));
    if (expected) {
        EXPECT_EQ(focused, expected) << focused->accessibleName().toStdString();
    }
    press(&view, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_NE(QApplication::focusWidget(), focused) << "Tab moves the focus";
}

TEST(OverlayFocus, AfterThePackMenuOrTheChooserClosesTheFocusIsOnAnEnabledControlAndTabMovesIt)
{
    AppModelState busy = states::ready();
    busy.busy = true;
    AppModelState notAnInstance = states::ready(); // a folder that is no instance: setup, no RESTORE
    notAnInstance.inspection->isCertifiedPack = false;
    notAnInstance.backup.reset();
    notAnInstance.errorMessage = QStringLiteral("This instance is Tekkit unknown. Orvane’s certified profile is 1.2.6.");
    notAnInstance.status = *notAnInstance.errorMessage;
    enum class Close { escape, row, chooseInstance };
    struct Case {
        const char* name;
        Close close;
        std::optional<std::filesystem::path> chosen;
        std::vector<AppModelState> after; // the model's states once the menu or chooser has closed
        bool screenReader;
    };
    const Case cases[] = {
        {"Escape", Close::escape, std::nullopt, {}, false},
        {"Escape with a screen reader: no jump to the primary action", Close::escape, std::nullopt, {}, true},
        {"a pack row", Close::row, std::nullopt, {busy, states::ready()}, false},
        {"the chooser cancelled", Close::chooseInstance, std::nullopt, {}, false},
        {"the instance chosen", Close::chooseInstance, "/home/player/.technic/modpacks/tekkit-2", {busy, states::ready()},
         false},
        {"a folder that is not an instance", Close::chooseInstance, "/home/player/.technic/modpacks/other",
         {busy, notAnInstance}, false},
        {"the instance chosen with a screen reader", Close::chooseInstance, "/home/player/.technic/modpacks/tekkit-2",
         {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OrvaneKeyboardFocus::setScreenReaderProbe([&c] { return c.screenReader; });
        WindowHarness window;
        ContentView& view = window.view();
        window.announcer().running = c.screenReader;
        window.chooser().answer = c.chosen;
        window.setState(states::ready());
        window.activate();
        view.packButton()->setFocus(Qt::TabFocusReason);
        press(&view, Qt::Key_Space);
        ASSERT_TRUE(view.showingPackMenu());
        if (c.close == Close::chooseInstance)
            press(&view, Qt::Key_Down);
        bool primaryTookFocus = false;
        const QMetaObject::Connection watch = QObject::connect(
            qApp, &QApplication::focusChanged, [&](QWidget*, QWidget* now) { primaryTookFocus |= now == view.primaryButton(); });
        press(&view, c.close == Close::escape ? Qt::Key_Escape : Qt::Key_Return);
        QObject::disconnect(watch);
        ASSERT_FALSE(view.showingPackMenu());
        EXPECT_FALSE(primaryTookFocus) << "the focus did not jump to the primary action";
        for (const AppModelState& state : c.after)
            window.setState(state);
        expectKeyboardKept(view, view.packButton());
    }
    OrvaneKeyboardFocus::setScreenReaderProbe({});

    // The real chooser, its folder typed and taken while the name field's completion list is open (as
    // Return does on X11, where the list outlives the dialog's closing): the list closes with the
    // dialog, and the keyboard comes back to the window.
    test::TempDir home;
    std::filesystem::create_directories(home / ".technic/modpacks/tekkit-2");
    AppModel model(std::make_shared<test::FakeSession>(), test::testSeams(home.path(), true));
    auto operations = std::make_shared<test::RecordingOperations>();
    ContentView view(model, ContentView::Seams{operations, std::make_shared<FixedAccessibilityPrefs>(),
                                               std::make_shared<test::RecordingAnnouncer>(),
                                               std::make_shared<DialogFolderChooser>(home.path())});
    view.resize(1020, 800);
    model.setStateForTesting(states::ready());
    view.show();
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    view.packButton()->setFocus(Qt::TabFocusReason);
    press(&view, Qt::Key_Space);
    press(&view, Qt::Key_Down);
    press(&view, Qt::Key_Return);
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(test::runEventsUntil([dialog] { return dialog->isActiveWindow(); }));
    auto* name = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(name, nullptr);
    QTest::keyClicks(name, QStringLiteral("tekkit-2"));
    ASSERT_TRUE(test::runEventsUntil([] { return QApplication::activePopupWidget() != nullptr; }))
        << "the completion list opens";
    QMetaObject::invokeMethod(dialog, "accept");
    ASSERT_TRUE(test::runEventsUntil([&operations] { return operations->chosenFolder.has_value(); }));
    EXPECT_EQ(operations->chosenFolder, home / ".technic/modpacks/tekkit-2");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "no popup is left to take the keys";
    // The window system hands the keyboard back to the window.
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    expectKeyboardKept(view, view.packButton());
}

} // namespace
} // namespace orvane
