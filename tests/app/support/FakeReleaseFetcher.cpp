#include "app/support/FakeReleaseFetcher.h"

#include <qcoro/qcorotimer.h>

#include <QTimer>

namespace orvane::test {

FakeReleaseFetcher::FakeReleaseFetcher(ReleaseAnswer answer, bool immediate)
    : m_answer(std::move(answer))
    , m_immediate(immediate)
{
}

QCoro::Task<ReleaseAnswer> FakeReleaseFetcher::get(QNetworkRequest request)
{
    m_requests.push_back(request);
    // Suspends at least once, as a real request does, then waits for finish() unless immediate.
    while (true) {
        QTimer tick;
        tick.setSingleShot(true);
        tick.start(0);
        co_await tick;
        if (m_immediate || m_finished)
            break;
    }
    co_return m_answer;
}

void FakeReleaseFetcher::finish()
{
    m_finished = true;
}

} // namespace orvane::test
