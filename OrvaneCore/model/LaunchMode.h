#pragma once

#include "json/EnumNames.h"

#include <array>

namespace orvane {

// How a pack is launched; written as the case name.
enum class LaunchMode {
    companionHandoff, // the official launcher is opened and watched; the user presses Play there
    direct,           // the program would start the game itself; closed by the direct-launch gate
};

template <>
struct EnumNames<LaunchMode> {
    static constexpr std::array names{"companionHandoff", "direct"};
};

} // namespace orvane
