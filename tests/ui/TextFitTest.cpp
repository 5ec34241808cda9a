// Every text of the window and the details sheet as drawn, at the default size and at the smallest
// the window allows: whole in its box, or elided with the whole text in its tooltip and accessible
// name, and never in type smaller than the theme's smallest.

#include "DetailsFakes.h"
#include "DrawnText.h"
#include "WindowHarness.h"

#include "app/MainWindow.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "support/TempDir.h"
#include "ui/details/DetailsInstallSection.h"
#include "ui/details/DetailsView.h"
#include "ui/theme/DisclosureGroup.h"
#include "ui/theme/FittedLabel.h"
#include "ui/theme/OrvaneTheme.h"
#include "ui/window/PackButton.h"
#include "ui/window/PackMenu.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QScrollArea>

#include <functional>

namespace orvane {
namespace {

using test::WindowHarness;
namespace states = test::states;

// A failure subtitle as long as a launcher that dies at once gives (105 characters).
const QString longFailure = QStringLiteral(
    "Technic did not start: Java exited 1. Exception in thread main java.lang.NoClassDefFoundError: net/Launch");

// The options.txt keys of an instance, among them the two longer than the label column.
InstallInspection inspectionWith25Options()
{
    InstallInspection i = *states::ready().inspection;
    i.instanceRoot = "/home/player/.technic/modpacks/tekkit-2";
    i.technicApp = "/home/player/Applications/TechnicLauncher.jar";
    for (const char* key : {"version", "invertYMouse", "mouseSensitivity", "fov", "gamma", "renderDistance", "guiScale",
                            "maxFps", "fancyGraphics", "ao", "renderClouds", "lang", "lastServer", "key_key.attack",
                            "key_key.jump", "soundCategory_master", "particles", "bobView", "chatScale", "entityShadows",
                            "enableVsync", "useVbo", "mipmapLevels", "fboEnable", "difficulty"})
        i.options[QString::fromLatin1(key)] = QStringLiteral("1");
    i.modFileNames = {QStringLiteral("Nothirium-1.12.2-0.3.4-beta.jar"), QStringLiteral("vintagefix-0.5.3.jar")};
    return i;
}

// Every text drawn in the window, at both of its sizes and in the states that change its texts, then
// in the details sheet with both disclosure groups open, at its ideal and its minimum size.
void forEveryDrawnText(const std::function<void(const test::WidgetText&)>& check)
{
    AppModelState failed = states::failure(longFailure);
    for (const QSize size : {MainWindow::defaultSize, MainWindow::minimumContentSize}) {
        for (const AppModelState& state : {states::ready(), states::setupPending(), states::watching(), failed}) {
            SCOPED_TRACE(testing::Message() << "window " << size.width() << "×" << size.height() << ": "
                                            << state.status.toStdString());
            WindowHarness window(size);
            window.setState(state);
            for (const auto& text : test::drawnTextsBelow(&window.view()))
                check(text);
            if (state.busy)
                continue;
            window.view().packButton()->click();
            for (const auto& text : test::drawnTextsBelow(window.view().packMenu()))
                check(text);
            window.view().packMenu()->close();
        }
    }

    test::TempDir home;
    AppModel model(std::make_shared<test::FakeSession>(), test::testSeams(home.path(), true));
    AppModelState state = states::setupPending();
    state.inspection = inspectionWith25Options();
    state.diagnosticPreview = QStringLiteral("Orvane diagnostic\nRedacted.");
    state.diagnosticURL = "/home/player/.local/share/orvane/diagnostics/report.json";
    state.status = longFailure;
    state.errorMessage = longFailure;
    model.setStateForTesting(state);
    for (const QSize size : {QSize(DetailsView::idealWidth, DetailsView::idealHeight),
                             QSize(DetailsView::minimumWidth, DetailsView::minimumHeight)}) {
        SCOPED_TRACE(testing::Message() << "sheet " << size.width() << "×" << size.height());
        DetailsView sheet(model, std::make_shared<test::RecordingDetailsOperations>(),
                          DetailsServices{std::make_shared<test::RecordingUrlOpener>(),
                                          std::make_shared<test::RecordingRevealer>(),
                                          std::make_shared<test::FakeClipboard>(),
                                          std::make_shared<test::ScriptedFolderChooser>(), FileOperations::system()},
                          AccessibilitySettings{}, nullptr);
        sheet.resize(size);
        sheet.show();
        sheet.installSection()->managedOptions()->setExpanded(true);
        sheet.installSection()->detectedModFiles()->setExpanded(true);
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
        for (const auto& text : test::drawnTextsBelow(&sheet))
            check(text);
        sheet.scrollArea()->widget()->grab().save(QCoreApplication::applicationDirPath()
                                                  + QStringLiteral("/screenshots/details-options-%1.png").arg(size.width()));
    }
}

QString accessibleName(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

TEST(TextFit, EveryTextFitsItsBoxOrIsElidedWithTheWholeTextInItsTooltipAndName)
{
    const QChar ellipsis(0x2026);
    int elided = 0;
    forEveryDrawnText([&](const test::WidgetText& drawn) {
        const QString& text = drawn.text.text;
        SCOPED_TRACE(testing::Message() << drawn.widget->metaObject()->className() << " \"" << text.toStdString() << "\"");
        const QRectF box = QRectF(drawn.widget->rect()).adjusted(-1, -1, 1, 1);
        EXPECT_TRUE(box.contains(drawn.text.box)) << "cut: drawn " << drawn.text.box.width() << " wide in "
                                                   << drawn.widget->width();
        const QString name = accessibleName(drawn.widget);
        if (!text.endsWith(ellipsis) || name == text)
            return; // whole ("Choose instance…" ends so itself)
        ++elided;
        EXPECT_EQ(drawn.widget->toolTip(), name) << "the whole text is the tooltip";
        EXPECT_TRUE(name.startsWith(text.chopped(1))) << "and the name: " << name.toStdString();
    });
    EXPECT_GE(elided, 2) << "the two long option keys, and the long failure";
}

TEST(TextFit, NoTextIsDrawnSmallerThanTheThemesSmallestCaption)
{
    ASSERT_GE(OrvaneTheme::minimumTextPixelSize, 10);
    forEveryDrawnText([](const test::WidgetText& drawn) {
        EXPECT_GE(drawn.text.pixelSize, OrvaneTheme::minimumTextPixelSize)
            << drawn.widget->metaObject()->className() << " \"" << drawn.text.text.toStdString() << "\"";
    });

    // The long subtitle keeps the caption size, elided, with the whole text in its tooltip and description.
    for (const QSize size : {MainWindow::defaultSize, MainWindow::minimumContentSize}) {
        SCOPED_TRACE(size.width());
        WindowHarness window(size);
        window.setState(states::failure(longFailure));
        const FittedLabel* subtitle = window.view().subtitle();
        EXPECT_TRUE(subtitle->elided());
        EXPECT_EQ(subtitle->toolTip(), longFailure.toUpper());
        EXPECT_EQ(QAccessible::queryAccessibleInterface(window.view().subtitle())->text(QAccessible::Description),
                  longFailure.toUpper());
        window.saveScreenshot(QStringLiteral("window-long-failure-%1").arg(size.width()));
    }
}

} // namespace
} // namespace orvane
