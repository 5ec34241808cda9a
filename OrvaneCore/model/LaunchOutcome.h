#pragma once

#include "json/EnumNames.h"

#include <QString>

namespace orvane {

// How a watched launch ended.
enum class LaunchOutcome { openedTechnicWaitingForPlayer, javaStarted, forgeLoaded, crashDetected, technicMissing, timedOut };

template <>
struct EnumNames<LaunchOutcome> {
    static constexpr std::array names{"openedTechnicWaitingForPlayer", "javaStarted",    "forgeLoaded",
                                      "crashDetected",                 "technicMissing", "timedOut"};
};

// The upper-case check line the application shows for the outcome ("LAST CHECK · FORGE LOADED").
QString statusLine(LaunchOutcome outcome);
// True for the outcomes the user has to act on: crashDetected, technicMissing and timedOut.
bool isProblem(LaunchOutcome outcome);

} // namespace orvane
