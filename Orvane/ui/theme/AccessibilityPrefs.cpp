#include "ui/theme/AccessibilityPrefs.h"

namespace orvane {

namespace {

bool isOn(const QProcessEnvironment& environment, const QString& name)
{
    const QString value = environment.value(name).trimmed().toLower();
    return value == QLatin1String("1") || value == QLatin1String("true") || value == QLatin1String("yes")
        || value == QLatin1String("on");
}

} // namespace

EnvironmentAccessibilityPrefs::EnvironmentAccessibilityPrefs(QProcessEnvironment environment)
    : m_settings{isOn(environment, QStringLiteral("ORVANE_INCREASE_CONTRAST")),
                 isOn(environment, QStringLiteral("ORVANE_REDUCE_TRANSPARENCY")),
                 isOn(environment, QStringLiteral("ORVANE_REDUCE_MOTION"))}
{
}

AccessibilitySettings EnvironmentAccessibilityPrefs::settings() const { return m_settings; }

} // namespace orvane
