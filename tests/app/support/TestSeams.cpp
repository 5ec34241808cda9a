#include "app/support/TestSeams.h"

namespace orvane::test {

std::optional<QString> InMemorySettings::text(const QString& key) const
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_values.find(key);
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

void InMemorySettings::setText(const QString& key, const QString& value)
{
    const std::lock_guard lock(m_mutex);
    m_values[key] = value;
}

void InMemorySettings::remove(const QString& key)
{
    const std::lock_guard lock(m_mutex);
    m_values.erase(key);
}

AppSeams testSeams(const std::filesystem::path& home, bool javaReady)
{
    return AppSeams{
        AppEnvironment{ProcessEnvironment{{QStringLiteral("HOME"), QString::fromStdString(home.string())}}, home,
                       QStringLiteral("arm64"), home / "no-jvm"},
        std::make_shared<InMemorySettings>(),
        BundleInfo{QStringLiteral("1.2.0"), QStringLiteral("41")},
        [javaReady] { return javaReady; },
        nullptr,
        std::make_shared<DisplaySnapshot>(MainDisplay{2560, 1600, 2.0}),
        QStringLiteral("releases.orvane.test"),
    };
}

} // namespace orvane::test
