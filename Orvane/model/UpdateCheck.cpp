#include "model/UpdateCheck.h"

#include "json/StrictJsonCheck.h"
#include "model/ReleaseManifest.h"
#include "model/UpdateCheckError.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace orvane::updateCheck {

QUrl latestReleaseURL(const QString& releaseHost)
{
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(releaseHost);
    url.setPath(QStringLiteral("/releases/latest.json"));
    return url;
}

QNetworkRequest latestReleaseRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setTransferTimeout(transferTimeoutMs);
    return request;
}

UpdateCheckState outcome(const ReleaseAnswer& answer, const BundleInfo& running, const QString& releaseHost)
{
    try {
        if (answer.statusCode != 200 || answer.body.size() > ReleaseFetcher::maximumBodyBytes)
            throw UpdateCheckError(UpdateCheckError::Kind::unavailable);
        const QJsonDocument document = parseStrictJson(answer.body, maximumJsonDepth);
        if (!document.isObject())
            throw UpdateCheckError(UpdateCheckError::Kind::invalidRelease);
        ReleaseManifest manifest = decodeReleaseManifest(document.object(), QStringLiteral("ReleaseManifest"));
        validate(manifest, releaseHost);
        const QString version = running.runningVersion();
        const std::int64_t build = running.runningBuild();
        if (isNewer(manifest, version, build))
            return UpdateCheckState::available(std::move(manifest));
        return UpdateCheckState::current(version, build);
    } catch (const std::exception&) {
        // Every failure reads the same to the user; its cause is not shown.
        return UpdateCheckState::failed(UpdateCheckState::failedText());
    }
}

} // namespace orvane::updateCheck
