#pragma once

#include "json/EnumNames.h"
#include "model/LaunchEventKind.h"

#include <array>

namespace orvane {

// The final state of a launch; written as the case name.
enum class LaunchResultState {
    handoffReady, // the provider application is open and ready; the game was not seen
    gameStarted,
    gameLoaded,
    failed,
    timedOut,
    cancelled,
};

template <>
struct EnumNames<LaunchResultState> {
    static constexpr std::array names{"handoffReady", "gameStarted", "gameLoaded",
                                      "failed", "timedOut", "cancelled"};
};

// The terminal rule: whether a launch whose last event is `kind` may end in `state`. A kind that is
// not terminal matches no state.
constexpr bool terminalKindMatches(LaunchEventKind kind, LaunchResultState state)
{
    switch (kind) {
    case LaunchEventKind::failed:
        return state == LaunchResultState::failed;
    case LaunchEventKind::timedOut:
        return state == LaunchResultState::timedOut;
    case LaunchEventKind::cancelled:
        return state == LaunchResultState::cancelled;
    case LaunchEventKind::completed:
        return state == LaunchResultState::handoffReady || state == LaunchResultState::gameStarted
            || state == LaunchResultState::gameLoaded;
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
