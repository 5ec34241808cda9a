#include "technic/TechnicLauncherLaunch.h"

#include <atomic>

namespace orvane::TechnicLauncherLaunch {

namespace {

// 0 is no process id a start can return.
std::atomic<pid_t> slot {0};

} // namespace

std::optional<pid_t> launcherProcess()
{
    const pid_t pid = slot.load();
    if (pid == 0)
        return std::nullopt;
    return pid;
}

void setLauncherProcess(pid_t pid)
{
    slot.store(pid);
}

} // namespace orvane::TechnicLauncherLaunch
