#include "technic/MacCapabilityDetector.h"

#include "platform/PathText.h"

#include <QDir>

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

constexpr double kBytesPerGigabyte = 1073741824.0; // 2^30
constexpr double kRetinaScale = 1.9;

} // namespace

MacCapabilityDetector::MacCapabilityDetector(std::filesystem::path home, MainDisplaySource display,
                                             std::shared_ptr<SystemFacts> facts, std::shared_ptr<RosettaProbe> rosetta)
    : m_home(std::move(home))
    , m_display(std::move(display))
    , m_facts(std::move(facts))
    , m_rosetta(std::move(rosetta))
{
}

std::filesystem::path MacCapabilityDetector::defaultHome()
{
    return pathFromText(QDir::homePath());
}

MainDisplay MacCapabilityDetector::mainDisplay() const
{
    MainDisplay display;
    if (m_display) {
        try {
            display = m_display();
        } catch (...) {
            // A display that cannot be measured reads as none; measuring never fails.
            display = MainDisplay {};
        }
    }
    // A scale that is no ratio of pixels to points (zero, negative, not a number) reads as 1, as a
    // display mode without width does.
    if (!std::isfinite(display.backingScale) || display.backingScale <= 0)
        display.backingScale = 1;
    display.width = std::max<std::int64_t>(display.width, 0);
    display.height = std::max<std::int64_t>(display.height, 0);
    return display;
}

CapabilityReport MacCapabilityDetector::detect(const QDateTime& at) const
{
    CapabilityReport report;
    report.physicalMemoryBytes = m_facts->physicalMemoryBytes();
    const MainDisplay display = mainDisplay();
    report.displayWidth = display.width;
    report.displayHeight = display.height;
    report.backingScale = display.backingScale;
    report.volumeAvailableBytes = m_facts->volumeAvailableBytes(m_home);
    report.chipBrand = sysctlString(QStringLiteral("machdep.cpu.brand_string"));
    report.hardwareModel = sysctlString(QStringLiteral("hw.model"));
    report.architecture = m_facts->architecture();
    report.currentProcessTranslated = m_facts->processTranslated();
    report.physicalMemoryGigabytes = double(report.physicalMemoryBytes) / kBytesPerGigabyte;
    report.isRetina = report.backingScale >= kRetinaScale;
    report.rosettaInstalled = m_rosetta->isInstalled();
    report.osVersion = m_facts->osVersion();
    report.capturedAt = at;
    return report;
}

QString MacCapabilityDetector::sysctlString(const QString& name) const
{
    return m_facts->sysctlString(name);
}

} // namespace orvane
