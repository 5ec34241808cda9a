#pragma once

#include "app/ReleaseFetcher.h"

#include <memory>

class QNetworkAccessManager;

namespace orvane {

// The release record over HTTP(S) with QNetworkAccessManager. The request's own attributes (cache,
// timeout, redirects) are the caller's; this caps the answer at maximumBodyBytes, aborting as soon as
// more arrives or is announced.
class NetworkReleaseFetcher final : public ReleaseFetcher {
public:
    NetworkReleaseFetcher();
    ~NetworkReleaseFetcher() override;

    QCoro::Task<ReleaseAnswer> get(QNetworkRequest request) override;

private:
    std::unique_ptr<QNetworkAccessManager> m_manager; // made on first use, on the GUI thread
};

} // namespace orvane
