#include "technic/LauncherAdapter.h"

#include "model/OrvaneError.h"

namespace orvane {

LauncherAdapter::LauncherAdapter(std::shared_ptr<ApplicationOpener> opener, std::shared_ptr<ProcessInspecting> processes)
    : m_opener(std::move(opener))
    , m_processes(std::move(processes))
{
}

bool LauncherAdapter::isTechnicRunning() const
{
    return m_processes->isApplicationRunning(QStringLiteral("net.technicpack"))
        || m_processes->isProcessRunning(QStringLiteral("TechnicLauncher"))
        || m_processes->isProcessRunning(QStringLiteral("Technic Launcher"))
        || m_processes->isTechnicLauncherJavaRunning();
}

void LauncherAdapter::ensureNothingRunning() const
{
    if (isTechnicRunning())
        throw OrvaneError::technicRunning();
    if (m_processes->isGameJavaRunning())
        throw OrvaneError::minecraftRunning();
}

void LauncherAdapter::open(const std::filesystem::path& target) const
{
    m_opener->open(target);
}

} // namespace orvane
