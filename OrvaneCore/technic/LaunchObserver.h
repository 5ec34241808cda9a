#pragma once

#include "model/LaunchObservation.h"
#include "platform/HostArchitecture.h"
#include "platform/StartedProcess.h"
#include "technic/LaunchClock.h"
#include "technic/ProcessInspecting.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <stop_token>

namespace orvane {

// Watches a game start after official Technic was opened, for at most `timeout` seconds, by
// polling processes, logs, crash reports and the JVM's fatal-error logs (see LaunchWatch). It
// stops at the first text that decides the launch, when the game's Java is gone before Forge
// loaded, or at the deadline, and returns one observation.
// It never writes anything.
// Given the launcher it started itself, a failed start of it (LauncherStartFailure) seen by a poll
// within the start window ends the watch first, as a startup issue.
class LaunchObserver final {
public:
    static constexpr std::chrono::milliseconds pollInterval{400};

    // `hostArchitecture` is this machine's, as hostArchitecture() spells it (see LaunchWatch).
    LaunchObserver(std::shared_ptr<ProcessInspecting> enumerator, double timeout,
                   std::shared_ptr<LaunchClock> clock = LaunchClock::system(),
                   std::shared_ptr<const StartedProcess> launcher = nullptr,
                   QString hostArchitecture = orvane::hostArchitecture());

    // Blocking. Either root may be absent: without the instance no game log or crash report is read.
    // Throws CancellationError, and nothing else, when `stop` is requested (checked at the start and
    // every cycle; a request during the sleep between polls ends the sleep at once).
    LaunchObservation observe(const std::optional<std::filesystem::path>& instanceRoot,
                              const std::optional<std::filesystem::path>& dataRoot, std::stop_token stop) const;

    const std::shared_ptr<ProcessInspecting>& enumerator() const { return m_enumerator; }
    double timeout() const { return m_timeout; }

private:
    std::shared_ptr<ProcessInspecting> m_enumerator;
    double m_timeout;
    std::shared_ptr<LaunchClock> m_clock;
    std::shared_ptr<const StartedProcess> m_launcher;
    QString m_hostArchitecture;
};

} // namespace orvane
