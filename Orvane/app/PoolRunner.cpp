#include "app/PoolRunner.h"

#include <algorithm>

namespace orvane {

PoolRunner::PoolRunner(int threads)
{
    m_pool.setMaxThreadCount(std::max(threads, minimumThreads));
    // Idle threads stay: a launch watch and a cancel must not wait for a thread to start.
    m_pool.setExpiryTimeout(-1);
}

PoolRunner::~PoolRunner()
{
    m_pool.waitForDone();
}

} // namespace orvane
