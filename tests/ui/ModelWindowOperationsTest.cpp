#include "WindowHarness.h"

#include "app/support/EventLoop.h"
#include "app/support/FakeSession.h"
#include "app/support/TestSeams.h"
#include "ui/window/ModelWindowOperations.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

// The real operations: showing the window starts the model's first inspection over the session.
TEST(ModelWindowOperations, ShowingTheWindowRunsTheModelsInitialInspection)
{
    auto session = std::make_shared<test::FakeSession>();
    AppModel model(session, test::testSeams());
    ContentView::Seams seams;
    seams.operations = std::make_shared<ModelWindowOperations>(model);
    seams.accessibility = std::make_shared<FixedAccessibilityPrefs>();
    seams.announcer = std::make_shared<test::RecordingAnnouncer>();
    ContentView view(model, seams);
    EXPECT_TRUE(session->callNames().isEmpty());
    view.show();
    ASSERT_TRUE(test::runEventsUntil([&] { return model.initialInspectionCompleted() && !model.busy(); }));
    EXPECT_FALSE(session->callNames().isEmpty());
}

} // namespace
} // namespace orvane
