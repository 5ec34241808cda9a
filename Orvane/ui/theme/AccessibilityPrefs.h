#pragma once

#include <QProcessEnvironment>

namespace orvane {

// The three display settings every view honours.
struct AccessibilitySettings {
    bool increasedContrast = false;  // white secondary texts and borders, lines of width 2
    bool reduceTransparency = false; // opaque fills, no glow, no gradient
    bool reduceMotion = false;       // no press scaling, no animation

    bool operator==(const AccessibilitySettings&) const = default;
};

// Where the settings come from. Qt has no API for the desktop's own switches, so the default reads
// environment variables; tests give fixed settings.
class AccessibilityPrefs {
public:
    virtual ~AccessibilityPrefs() = default;
    virtual AccessibilitySettings settings() const = 0;
};

// ORVANE_INCREASE_CONTRAST, ORVANE_REDUCE_TRANSPARENCY and ORVANE_REDUCE_MOTION: "1", "true", "yes"
// or "on" (any case) turn a setting on; anything else, or no variable, leaves it off.
class EnvironmentAccessibilityPrefs final : public AccessibilityPrefs {
public:
    explicit EnvironmentAccessibilityPrefs(QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());
    AccessibilitySettings settings() const override;

private:
    AccessibilitySettings m_settings;
};

class FixedAccessibilityPrefs final : public AccessibilityPrefs {
public:
    explicit FixedAccessibilityPrefs(AccessibilitySettings settings = {}) : m_settings(settings) {}
    AccessibilitySettings settings() const override { return m_settings; }

private:
    AccessibilitySettings m_settings;
};

} // namespace orvane
