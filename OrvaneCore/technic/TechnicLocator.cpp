#include "technic/TechnicLocator.h"

#include "platform/PathText.h"
#include "technic/TechnicFileReading.h"

namespace orvane {

const QStringList TechnicLocator::applicationNames = {
    QStringLiteral("Technic Launcher.app"), QStringLiteral("TechnicLauncher.app"), QStringLiteral("Technic.app")};
const QStringList TechnicLocator::jarNames = {QStringLiteral("TechnicLauncher.jar"),
                                              QStringLiteral("Technic Launcher.jar")};

TechnicLocator::TechnicLocator(std::filesystem::path home, std::optional<std::vector<std::filesystem::path>> applications)
    : m_home(std::move(home))
    , m_applications(applications ? std::move(*applications)
                                  : std::vector<std::filesystem::path>{"/Applications", m_home / "Applications"})
{
}

TechnicLocation TechnicLocator::locate() const
{
    return TechnicLocation{locateApplication(), locateDataRoot()};
}

std::optional<std::filesystem::path> TechnicLocator::locateApplication() const
{
    if (auto app = findNamedApplication(applicationNames))
        return app;
    if (auto app = scanApplications(&TechnicLocator::isTechnicApplicationName))
        return app;
    return findNamedApplication(jarNames);
}

std::optional<std::filesystem::path> TechnicLocator::locateDataRoot() const
{
    // The official launcher keeps its data in ~/.technic on Linux; the macOS places follow for a
    // home carried over from a Mac.
    const std::filesystem::path candidates[] = {
        m_home / ".technic",
        defaultDataRoot(),
        m_home / "Library" / "Application Support" / "techniclauncher",
    };
    for (const auto& candidate : candidates) {
        if (pathExists(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::filesystem::path TechnicLocator::defaultDataRoot() const
{
    return m_home / "Library" / "Application Support" / "technic";
}

std::optional<std::filesystem::path> TechnicLocator::findNamedApplication(const QStringList& names) const
{
    for (const auto& folder : m_applications) {
        for (const auto& name : names) {
            const auto candidate = folder / pathFromText(name);
            if (pathExists(candidate))
                return candidate;
        }
    }
    return std::nullopt;
}

bool TechnicLocator::isTechnicApplicationName(const std::filesystem::path& name)
{
    // A name that is only ".app" has no extension, as with any other dot-file.
    return name.extension() == ".app" && pathText(name).contains(QLatin1String("technic"), Qt::CaseInsensitive);
}

} // namespace orvane
