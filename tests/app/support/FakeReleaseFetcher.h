#pragma once

#include "app/ReleaseFetcher.h"

#include <QNetworkRequest>

#include <vector>

namespace orvane::test {

// Answers every request with `answer` once the test calls finish() (or at once when `immediate`),
// and records the requests.
class FakeReleaseFetcher final : public ReleaseFetcher {
public:
    explicit FakeReleaseFetcher(ReleaseAnswer answer, bool immediate = true);

    QCoro::Task<ReleaseAnswer> get(QNetworkRequest request) override;

    // Lets the pending requests complete.
    void finish();
    const std::vector<QNetworkRequest>& requests() const { return m_requests; }

private:
    ReleaseAnswer m_answer;
    bool m_immediate;
    std::vector<QNetworkRequest> m_requests;
    bool m_finished = false;
};

} // namespace orvane::test
