#pragma once

#include "platform/ProcessEnvironment.h"

#include <QString>

#include <filesystem>

namespace orvane {

// The process environment, the user's home folder, this host's architecture and where JDKs are
// installed, as the model hands them to the session and to the launcher Java check. Tests pass a
// fixture home, a chosen environment, the host they pretend to run on and a JVM root of their own.
struct AppEnvironment {
    ProcessEnvironment environment;
    std::filesystem::path home;
    // As hostArchitecture() spells it; it decides what the launcher's Java must run on.
    QString hostArchitecture;
    // Where the launcher's Java is looked for without JAVA_HOME.
    std::filesystem::path jvmRoot;

    // This process's environment, the platform's home folder of the current user, this host and the
    // system's JVM folder.
    static AppEnvironment current();

    bool operator==(const AppEnvironment&) const = default;
};

} // namespace orvane
