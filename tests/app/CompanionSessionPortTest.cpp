#include "app/CompanionSessionPort.h"
#include "app/PoolRunner.h"
#include "app/support/EventLoop.h"
#include "app/support/TestSeams.h"
#include "json/DescribedError.h"
#include "model/AppModel.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(CompanionSessionPort, StartsWithNoInstanceEvenWhenOneIsRemembered)
{
    AppSeams seams = test::testSeams();
    seams.settings->setText(AppModel::labDefaultsKey(), QStringLiteral("/somewhere/Tekkit 2"));
    const auto port = CompanionSessionPort::make(seams);

    EXPECT_FALSE(port->instanceChosenExplicitly());
    EXPECT_FALSE(port->lastInspection());
    EXPECT_FALSE(port->lastCapability());
    EXPECT_FALSE(port->lastBackup());
    EXPECT_EQ(port->selectedPackID(), PackID::tekkit2);
    EXPECT_EQ(port->availablePacks(), std::vector<PackDescriptor>{PackDescriptor::tekkit2});
}

TEST(CompanionSessionPort, MeasuresTheDisplaySnapshotAndPassesErrorsOnUnchanged)
{
    const auto port = CompanionSessionPort::make(test::testSeams());
    PoolRunner runner;

    std::optional<CapabilityReport> capability;
    QString refusal;
    bool done = false;
    auto run = [&]() -> QCoro::Task<> {
        // Named, not temporaries: see PoolRunner::run.
        const auto measure = [port] { return port->refreshCapability(); };
        const auto select = [port] { return port->selectPack(*PackID::fromRawValue(QStringLiteral("other"))); };
        capability = co_await runner.run(measure);
        try {
            co_await runner.run(select);
        } catch (const std::exception& e) {
            refusal = describe(e);
        }
        done = true;
    };
    run();
    ASSERT_TRUE(test::runEventsUntil([&] { return done; }));

    ASSERT_TRUE(capability);
    EXPECT_EQ(capability->displayWidth, 2560);
    EXPECT_EQ(capability->displayHeight, 1600);
    EXPECT_EQ(capability->backingScale, 2.0);
    EXPECT_EQ(refusal, QStringLiteral("Pack other is not available in this build."));
}

} // namespace
} // namespace orvane
