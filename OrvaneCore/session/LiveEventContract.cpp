#include "session/LiveEventContract.h"

#include "model/LaunchContractLimits.h"

namespace orvane {

std::optional<QString> liveEventViolation(const LaunchEvent& event, const PackLaunchRequest& request,
                                          const LaunchProviderID& providerID, std::set<QUuid>& seenIDs,
                                          const std::optional<QDateTime>& lastAcceptedDate,
                                          const std::optional<LaunchEventKind>& acceptedTerminalKind)
{
    if (event.operationID != request.operationID)
        return QStringLiteral("event operation identity mismatch");
    if (event.providerID != providerID)
        return QStringLiteral("event provider identity mismatch");
    if (event.packID != request.pack.id)
        return QStringLiteral("cross-pack event");
    if (seenIDs.size() >= std::size_t(LaunchContractLimits::maximumEvents))
        return QStringLiteral("event limit exceeded");
    if (!isValidContractMessage(event.message, LaunchContractLimits::maximumEventMessageBytes))
        return QStringLiteral("event message is invalid");
    if (!seenIDs.insert(event.id).second)
        return QStringLiteral("duplicate event identity");
    // An invalid date compares as earlier than every valid one, so it cannot keep the order.
    if (!event.occurredAt.isValid() || (lastAcceptedDate && event.occurredAt < *lastAcceptedDate))
        return QStringLiteral("event chronology mismatch");
    if (acceptedTerminalKind)
        return QStringLiteral("event follows terminal event");
    return std::nullopt;
}

} // namespace orvane
