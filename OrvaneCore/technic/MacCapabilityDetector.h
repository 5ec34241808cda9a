#pragma once

#include "model/CapabilityReport.h"
#include "platform/RosettaProbe.h"
#include "platform/SystemFacts.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

namespace orvane {

// The main display as the application sees it. The core cannot ask the window system, so the
// application hands these in; without them the report says 0 × 0 at scale 1.
struct MainDisplay {
    std::int64_t width = 0;  // pixels
    std::int64_t height = 0; // pixels
    double backingScale = 1; // pixels per point
    bool operator==(const MainDisplay&) const = default;
};

// Called on the detecting thread at every measurement, so it must be safe to call from there (the
// application reads a value it keeps up to date rather than the screen itself).
using MainDisplaySource = std::function<MainDisplay()>;

// Measures this computer for the capability report. Never throws: every fact that cannot be
// measured gives its fallback (0, 1.0, "unknown", false).
class MacCapabilityDetector final {
public:
    // `home` is the folder whose volume's free space is reported.
    explicit MacCapabilityDetector(std::filesystem::path home = defaultHome(), MainDisplaySource display = {},
                                   std::shared_ptr<SystemFacts> facts = SystemFacts::system(),
                                   std::shared_ptr<RosettaProbe> rosetta = RosettaProbe::system());

    CapabilityReport detect(const QDateTime& at) const;

    // The named system setting's text, or "unknown".
    QString sysctlString(const QString& name) const;

    const std::filesystem::path& home() const { return m_home; }
    // The architecture a report gives, asked without measuring anything else.
    QString architecture() const { return m_facts->architecture(); }
    void setMainDisplay(MainDisplaySource display) { m_display = std::move(display); }

    // The user's home folder.
    static std::filesystem::path defaultHome();

private:
    MainDisplay mainDisplay() const;

    std::filesystem::path m_home;
    MainDisplaySource m_display;
    std::shared_ptr<SystemFacts> m_facts;
    std::shared_ptr<RosettaProbe> m_rosetta;
};

} // namespace orvane
