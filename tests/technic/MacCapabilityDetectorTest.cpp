#include "technic/MacCapabilityDetector.h"

#include "support/PlatformFakes.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

using namespace orvane;
using namespace orvane::test;

namespace {

const QDateTime kAt = QDateTime(QDate(2026, 12, 8), QTime(7, 21, 8), Qt::UTC);

struct Machine {
    std::shared_ptr<FakeSystemFacts> facts = std::make_shared<FakeSystemFacts>();
    std::shared_ptr<FakeRosettaProbe> rosetta = std::make_shared<FakeRosettaProbe>(true);

    MacCapabilityDetector detector(MainDisplaySource display = {}) const
    {
        return MacCapabilityDetector("/home/someone", std::move(display), facts, rosetta);
    }
};

} // namespace

TEST(MacCapabilityDetector, FillsEveryFieldFromTheMachine)
{
    Machine machine;
    machine.facts->memoryBytes = 17179869184;
    machine.facts->settings = {{"machdep.cpu.brand_string", "Apple M2 Pro"}, {"hw.model", "Mac14,10"}};
    machine.facts->machine = "arm64";
    machine.facts->availableBytes = 123456789012;
    machine.facts->operatingSystem = "Debian GNU/Linux 12 (bookworm)";

    const auto report = machine.detector([] { return MainDisplay {3024, 1964, 2.0}; }).detect(kAt);
    CapabilityReport expected;
    expected.chipBrand = "Apple M2 Pro";
    expected.hardwareModel = "Mac14,10";
    expected.architecture = "arm64";
    expected.physicalMemoryBytes = 17179869184;
    expected.physicalMemoryGigabytes = 16.0; // exactly
    expected.backingScale = 2.0;
    expected.displayWidth = 3024;
    expected.displayHeight = 1964;
    expected.isRetina = true;
    expected.volumeAvailableBytes = 123456789012;
    expected.currentProcessTranslated = false;
    expected.rosettaInstalled = true;
    expected.osVersion = "Debian GNU/Linux 12 (bookworm)";
    expected.capturedAt = kAt;
    EXPECT_EQ(report, expected);
    // The free space is that of the home folder's volume.
    EXPECT_EQ(machine.facts->volumesAsked, std::vector<std::filesystem::path> {"/home/someone"});
}

TEST(MacCapabilityDetector, WithoutADisplayHandedInItIsZeroByZeroAtScaleOne)
{
    Machine machine;
    machine.rosetta->installed = false;
    machine.facts->translated = true;
    const auto report = machine.detector().detect(kAt);
    EXPECT_EQ(report.displayWidth, 0);
    EXPECT_EQ(report.displayHeight, 0);
    EXPECT_EQ(report.backingScale, 1.0);
    EXPECT_FALSE(report.isRetina);
    EXPECT_EQ(report.physicalMemoryBytes, 0u);
    EXPECT_EQ(report.physicalMemoryGigabytes, 0.0);
    EXPECT_EQ(report.chipBrand, "unknown");
    EXPECT_EQ(report.hardwareModel, "unknown");
    EXPECT_FALSE(report.rosettaInstalled);
    EXPECT_TRUE(report.currentProcessTranslated);
    EXPECT_EQ(machine.rosetta->calls, 1);
}

TEST(MacCapabilityDetector, RetinaFromTheScale)
{
    Machine machine;
    const auto scaled = [&](double scale) {
        return machine.detector([scale] { return MainDisplay {2880, 1800, scale}; }).detect(kAt);
    };
    EXPECT_TRUE(scaled(2.0).isRetina);
    EXPECT_TRUE(scaled(1.9).isRetina);
    EXPECT_FALSE(scaled(1.5).isRetina);
    EXPECT_EQ(scaled(1.5).backingScale, 1.5);

    // A scale that is no ratio of pixels to points reads as 1.
    for (const double bad : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity()}) {
        const auto report = scaled(bad);
        EXPECT_EQ(report.backingScale, 1.0) << bad;
        EXPECT_FALSE(report.isRetina) << bad;
    }
}

TEST(MacCapabilityDetector, TheDisplayIsAskedAtEveryMeasurementAndNeverFailsIt)
{
    Machine machine;
    int calls = 0;
    MainDisplay current {1920, 1080, 1.0};
    auto detector = machine.detector([&] {
        ++calls;
        return current;
    });
    EXPECT_EQ(detector.detect(kAt).displayWidth, 1920);
    current = {5120, 2880, 2.0};
    const auto later = detector.detect(kAt);
    EXPECT_EQ(later.displayWidth, 5120);
    EXPECT_TRUE(later.isRetina);
    EXPECT_EQ(calls, 2);

    detector.setMainDisplay([]() -> MainDisplay { throw std::runtime_error("no screen"); });
    const auto report = detector.detect(kAt);
    EXPECT_EQ(report.displayWidth, 0);
    EXPECT_EQ(report.backingScale, 1.0);
}
