#include "session/LaunchResultContract.h"

#include "model/LaunchContractLimits.h"
#include "model/LaunchProviderError.h"

#include <QSet>

#include <algorithm>

namespace orvane {

namespace {

[[noreturn]] void refuse(const char* reason)
{
    throw LaunchProviderError::invalidResult(QString::fromLatin1(reason));
}

} // namespace

void validateLaunchResult(const LaunchResult& result, const PackLaunchRequest& request,
                          const LaunchProvider& provider)
{
    const LaunchProviderID providerID = provider.id();
    const LaunchMode providerMode = provider.mode();

    if (result.operationID != request.operationID)
        refuse("operation identity mismatch");
    if (result.pack != request.pack)
        refuse("pack identity mismatch");
    if (result.providerID != providerID || result.providerID != request.pack.providerID)
        refuse("provider identity mismatch");
    if (result.mode != providerMode || result.mode != request.pack.launchMode)
        refuse("launch mode mismatch");
    // An invalid date compares as earlier than every valid one: a result without times is refused.
    if (!result.startedAt.isValid() || !result.finishedAt.isValid() || result.finishedAt < result.startedAt)
        refuse("finish time precedes start time");
    if (!isValidContractMessage(result.message, LaunchContractLimits::maximumResultMessageBytes))
        refuse("result message is invalid");
    if (result.events.empty())
        refuse("missing terminal event");
    if (result.events.size() > std::size_t(LaunchContractLimits::maximumEvents))
        refuse("event limit exceeded");

    QSet<QUuid> seen;
    QDateTime previous = result.startedAt;
    for (std::size_t i = 0; i < result.events.size(); ++i) {
        const LaunchEvent& event = result.events[i];
        if (event.operationID != request.operationID)
            refuse("event operation identity mismatch");
        if (event.providerID != providerID)
            refuse("event provider identity mismatch");
        if (event.packID != request.pack.id)
            refuse("cross-pack event");
        if (!isValidContractMessage(event.message, LaunchContractLimits::maximumEventMessageBytes))
            refuse("event message is invalid");
        if (seen.contains(event.id))
            refuse("duplicate event identity");
        seen.insert(event.id);
        if (!event.occurredAt.isValid() || event.occurredAt < previous || event.occurredAt > result.finishedAt)
            refuse("event chronology mismatch");
        previous = event.occurredAt;
        if (isTerminal(event.kind) && i + 1 != result.events.size())
            refuse("event follows terminal event");
    }

    // terminalKindMatches is false for every kind that is not terminal.
    if (!terminalKindMatches(result.events.back().kind, result.state))
        refuse("terminal event does not match result state");
}

bool liveEventsMatchResult(const std::vector<LaunchEvent>& live, const std::vector<LaunchEvent>& resultEvents)
{
    if (live.size() > resultEvents.size())
        return false;
    return std::equal(live.begin(), live.end(), resultEvents.begin());
}

} // namespace orvane
