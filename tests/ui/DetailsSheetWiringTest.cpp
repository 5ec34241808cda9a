#include "app/MainWindow.h"
#include "app/OrvaneApp.h"
#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "model/AppModel.h"
#include "ui/details/DetailsView.h"
#include "ui/theme/UtilityButton.h"
#include "ui/window/ContentView.h"

#include <gtest/gtest.h>

#include <QPushButton>

namespace orvane {
namespace {

TEST(DetailsSheetWiring, TheDetailsButtonOpensAFreshWindowModalSheetEachTime)
{
    auto session = std::make_shared<test::FakeSession>();
    OrvaneApp app(session, test::testSeams());
    app.show();
    const auto idle = [&] { return app.model().initialInspectionCompleted() && !app.model().busy(); };
    ASSERT_TRUE(test::runEventsUntil(idle));
    auto* view = app.window().findChild<ContentView*>();
    ASSERT_NE(view, nullptr);

    QPointer<DetailsView> first;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        view->detailsButton()->click();
        auto* sheet = app.window().findChild<DetailsView*>();
        ASSERT_NE(sheet, nullptr);
        EXPECT_NE(sheet, first.data()) << "a new sheet each time";
        EXPECT_TRUE(sheet->isVisible());
        EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
        EXPECT_TRUE(view->showingDetails());
        ASSERT_TRUE(test::runEventsUntil([&] { return !app.model().busy(); })); // the sheet's readiness refresh
        first = sheet;
        sheet->doneButton()->click();
        ASSERT_TRUE(test::runEventsUntil([&] { return first.isNull(); })) << "closed sheets are deleted";
        EXPECT_FALSE(view->showingDetails());
    }
}

} // namespace
} // namespace orvane
