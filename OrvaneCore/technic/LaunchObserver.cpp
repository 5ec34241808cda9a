#include "technic/LaunchObserver.h"

#include "json/DescribedError.h"
#include "technic/LaunchWatch.h"
#include "technic/LauncherStartFailure.h"

namespace orvane {

namespace {

void throwIfCancelled(const std::stop_token& stop)
{
    if (stop.stop_requested())
        throw CancellationError();
}

} // namespace

LaunchObserver::LaunchObserver(std::shared_ptr<ProcessInspecting> enumerator, double timeout,
                               std::shared_ptr<LaunchClock> clock, std::shared_ptr<const StartedProcess> launcher,
                               QString hostArchitecture)
    : m_enumerator(std::move(enumerator)),
      m_timeout(timeout),
      m_clock(std::move(clock)),
      m_launcher(std::move(launcher)),
      m_hostArchitecture(std::move(hostArchitecture))
{
}

LaunchObservation LaunchObserver::observe(const std::optional<std::filesystem::path>& instanceRoot,
                                          const std::optional<std::filesystem::path>& dataRoot,
                                          std::stop_token stop) const
{
    throwIfCancelled(stop);
    const auto started = m_clock->steadyNow();
    const auto deadline = started + durationFromSeconds(m_timeout);
    const auto startWindowEnd = started + LauncherStartFailure::window;
    LaunchWatch watch(m_enumerator, instanceRoot, dataRoot, m_clock->currentDate(), m_hostArchitecture);
    for (;;) {
        const auto now = m_clock->steadyNow();
        if (now >= deadline) {
            throwIfCancelled(stop);
            return watch.finish();
        }
        throwIfCancelled(stop);
        if (m_launcher && now <= startWindowEnd) {
            const auto exit = m_launcher->exitStatus();
            if (exit && LauncherStartFailure::isFailure(*exit)) {
                const QByteArray errorOutput = m_launcher->errorOutput();
                return watch.failedStart(LauncherStartFailure::message(*exit, errorOutput),
                                         LauncherStartFailure::excerpt(errorOutput));
            }
        }
        if (auto decided = watch.poll())
            return std::move(*decided);
        if (!m_clock->sleepUntil(m_clock->steadyNow() + pollInterval, stop))
            throw CancellationError();
    }
}

} // namespace orvane
