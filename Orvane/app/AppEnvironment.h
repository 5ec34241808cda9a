#pragma once

#include "platform/ProcessEnvironment.h"

#include <filesystem>

namespace orvane {

// The process environment and the user's home folder, as the model hands them to the session and
// to the launcher Java check. Tests pass a fixture home and a chosen environment.
struct AppEnvironment {
    ProcessEnvironment environment;
    std::filesystem::path home;

    // This process's environment and the platform's home folder of the current user.
    static AppEnvironment current();

    bool operator==(const AppEnvironment&) const = default;
};

} // namespace orvane
