#pragma once

#include "model/LaunchEvent.h"
#include "model/LaunchEventKind.h"
#include "model/LaunchProviderID.h"
#include "model/PackLaunchRequest.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>
#include <set>

namespace orvane {

// The judgement of one live event of a running launch, given what the launch has accepted so far:
// the ids of the events judged (`seenIDs`), the date of the last accepted event and the terminal
// kind among them. Returns the first failing check's reason, or none when the event may be
// accepted. The checks, in order: operation, provider and pack identity, the 256-event limit, the
// message rule, a new id (inserted into `seenIDs` here, where it stays even when a later check
// fails), a date not before the last accepted one, and no terminal event accepted yet. Live events
// are bounded by arrival order only, not by the launch's start or finish.
std::optional<QString> liveEventViolation(const LaunchEvent& event, const PackLaunchRequest& request,
                                          const LaunchProviderID& providerID, std::set<QUuid>& seenIDs,
                                          const std::optional<QDateTime>& lastAcceptedDate,
                                          const std::optional<LaunchEventKind>& acceptedTerminalKind);

} // namespace orvane
