#include "technic/LaunchObserver.h"

#include "json/DescribedError.h"
#include "technic/LaunchWatch.h"

namespace orvane {

namespace {

void throwIfCancelled(const std::stop_token& stop)
{
    if (stop.stop_requested())
        throw CancellationError();
}

} // namespace

LaunchObserver::LaunchObserver(std::shared_ptr<ProcessInspecting> enumerator, double timeout,
                               std::shared_ptr<LaunchClock> clock)
    : m_enumerator(std::move(enumerator)), m_timeout(timeout), m_clock(std::move(clock))
{
}

LaunchObservation LaunchObserver::observe(const std::optional<std::filesystem::path>& instanceRoot,
                                          const std::optional<std::filesystem::path>& dataRoot,
                                          std::stop_token stop) const
{
    throwIfCancelled(stop);
    const auto deadline = m_clock->steadyNow() + durationFromSeconds(m_timeout);
    LaunchWatch watch(m_enumerator, instanceRoot, dataRoot, m_clock->currentDate());
    for (;;) {
        if (m_clock->steadyNow() >= deadline) {
            throwIfCancelled(stop);
            return watch.finish();
        }
        throwIfCancelled(stop);
        if (auto decided = watch.poll())
            return std::move(*decided);
        if (!m_clock->sleepUntil(m_clock->steadyNow() + pollInterval, stop))
            throw CancellationError();
    }
}

} // namespace orvane
