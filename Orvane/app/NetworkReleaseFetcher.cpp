#include "app/NetworkReleaseFetcher.h"

#include <qcoro/qcoronetworkreply.h>

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

namespace orvane {

std::shared_ptr<ReleaseFetcher> ReleaseFetcher::network()
{
    return std::make_shared<NetworkReleaseFetcher>();
}

NetworkReleaseFetcher::NetworkReleaseFetcher() = default;

NetworkReleaseFetcher::~NetworkReleaseFetcher() = default;

QCoro::Task<ReleaseAnswer> NetworkReleaseFetcher::get(QNetworkRequest request)
{
    if (!m_manager)
        m_manager = std::make_unique<QNetworkAccessManager>();

    QPointer<QNetworkReply> reply = m_manager->get(request);
    auto tooLong = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, tooLong](qint64 received, qint64 announced) {
                         if (received > maximumBodyBytes || announced > maximumBodyBytes) {
                             *tooLong = true;
                             reply->abort();
                         }
                     });

    co_await reply.get();
    if (!reply)
        co_return ReleaseAnswer{};
    reply->deleteLater();

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (*tooLong || !status.isValid())
        co_return ReleaseAnswer{};
    if (reply->error() != QNetworkReply::NoError) {
        // An error answer (404, 500) keeps its status; a 200 cut short is no answer.
        const int code = status.toInt();
        co_return ReleaseAnswer{code == 200 ? 0 : code, {}};
    }
    QByteArray body = reply->readAll();
    if (body.size() > maximumBodyBytes)
        co_return ReleaseAnswer{};
    co_return ReleaseAnswer{status.toInt(), std::move(body)};
}

} // namespace orvane
