#pragma once

#include "json/EnumNames.h"

#include <array>

namespace orvane {

// What a launch event reports; written as the case name.
enum class LaunchEventKind {
    preparing,
    openingProvider,
    waitingForPlayer,
    gameDetected,
    gameLoaded,
    failed,
    timedOut,
    cancelled,
    completed,
};

template <>
struct EnumNames<LaunchEventKind> {
    static constexpr std::array names{"preparing", "openingProvider", "waitingForPlayer",
                                      "gameDetected", "gameLoaded", "failed",
                                      "timedOut", "cancelled", "completed"};
};

// A terminal event ends a launch: nothing may follow it.
constexpr bool isTerminal(LaunchEventKind kind)
{
    switch (kind) {
    case LaunchEventKind::failed:
    case LaunchEventKind::timedOut:
    case LaunchEventKind::cancelled:
    case LaunchEventKind::completed:
        return true;
    case LaunchEventKind::preparing:
    case LaunchEventKind::openingProvider:
    case LaunchEventKind::waitingForPlayer:
    case LaunchEventKind::gameDetected:
    case LaunchEventKind::gameLoaded:
        return false;
    }
    return false;
}

} // namespace orvane
