#include "model/AppModel.h"

#include "model/UpdateCheck.h"

#include <QPointer>

namespace orvane {

QCoro::Task<> AppModel::checkForUpdates()
{
    if (m_state.updateCheckState.isChecking())
        co_return;
    setUpdateCheckState(UpdateCheckState::checking());

    const QPointer<AppModel> self(this);
    std::optional<ReleaseAnswer> answer;
    try {
        if (const std::shared_ptr<ReleaseFetcher> fetcher = m_seams.releaseFetcher) {
            const QNetworkRequest request = updateCheck::latestReleaseRequest(m_latestReleaseURL);
            answer = co_await fetcher->get(request);
        }
    } catch (...) {
        answer.reset(); // a fetcher that throws gave no answer
    }
    if (!self)
        co_return;
    setUpdateCheckState(answer ? updateCheck::outcome(*answer, m_seams.bundle, m_seams.releaseHost)
                               : UpdateCheckState::failed(UpdateCheckState::failedText()));
}

} // namespace orvane
