#pragma once

#include <sys/types.h>

#include <optional>

namespace orvane {

// The launcher last started from its JAR, process-wide. The spawner reaps it when it ends; the
// slot only remembers which process it was.
namespace TechnicLauncherLaunch {

// Absent until a launcher was started from a JAR.
std::optional<pid_t> launcherProcess();

// Replaces the remembered process.
void setLauncherProcess(pid_t pid);

} // namespace TechnicLauncherLaunch

} // namespace orvane
