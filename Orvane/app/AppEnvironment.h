#pragma once

#include "platform/ProcessEnvironment.h"

#include <QString>

#include <filesystem>

namespace orvane {

// The process environment, the user's home folder and this host's architecture, as the model hands
// them to the session and to the launcher Java check. Tests pass a fixture home, a chosen environment
// and the host they pretend to run on.
struct AppEnvironment {
    ProcessEnvironment environment;
    std::filesystem::path home;
    // As hostArchitecture() spells it; it decides what the launcher's Java must run on.
    QString hostArchitecture;

    // This process's environment, the platform's home folder of the current user and this host.
    static AppEnvironment current();

    bool operator==(const AppEnvironment&) const = default;
};

} // namespace orvane
