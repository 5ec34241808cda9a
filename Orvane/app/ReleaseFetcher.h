#pragma once

#include <qcoro/qcorotask.h>

#include <QByteArray>
#include <QNetworkRequest>

#include <memory>

namespace orvane {

// What came back for the release record: the HTTP status (0 when there was no usable HTTP answer:
// a transport error, the timeout, a redirect off the site, or a body above the cap) and the body.
struct ReleaseAnswer {
    int statusCode = 0;
    QByteArray body;
    bool operator==(const ReleaseAnswer&) const = default;
};

// Sends the release record's GET request. Runs on the GUI thread; never throws for a network failure.
class ReleaseFetcher {
public:
    // The most a release record may be; a longer answer counts as none.
    static constexpr qint64 maximumBodyBytes = 1024 * 1024;

    virtual ~ReleaseFetcher() = default;
    virtual QCoro::Task<ReleaseAnswer> get(QNetworkRequest request) = 0;

    // Over the network with QNetworkAccessManager (made on first use, on the GUI thread).
    static std::shared_ptr<ReleaseFetcher> network();

protected:
    ReleaseFetcher() = default;
    ReleaseFetcher(const ReleaseFetcher&) = default;
    ReleaseFetcher& operator=(const ReleaseFetcher&) = default;
};

} // namespace orvane
