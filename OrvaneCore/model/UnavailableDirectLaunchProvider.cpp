#include "model/UnavailableDirectLaunchProvider.h"

#include "model/LaunchProviderError.h"

#include <QDateTime>
#include <QUuid>

namespace orvane {

LaunchResult UnavailableDirectLaunchProvider::launch(const PackLaunchRequest& request,
                                                     const LaunchEventHandler& onEvent, std::stop_token)
{
    const LaunchEvent event{
        QUuid::createUuid(),
        request.operationID,
        id(),
        request.pack.id,
        LaunchEventKind::failed,
        QDateTime::currentDateTimeUtc(),
        m_reason,
    };
    if (onEvent)
        onEvent(event);
    throw LaunchProviderError::unavailable(m_reason);
}

} // namespace orvane
