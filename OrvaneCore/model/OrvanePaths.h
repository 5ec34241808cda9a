#pragma once

#include "platform/ProcessEnvironment.h"

#include <filesystem>

namespace orvane {

// The application's own folders. Building one touches no file.
struct OrvanePaths {
    std::filesystem::path applicationSupport;
    std::filesystem::path backups;
    std::filesystem::path diagnostics;

    // Everything lives in the user's XDG data folder: XDG_DATA_HOME of `environment` when it holds
    // an absolute path, else home/.local/share (a relative or empty value is ignored, as the XDG
    // Base Directory rules ask).
    OrvanePaths(const std::filesystem::path& home, const ProcessEnvironment& environment);
    bool operator==(const OrvanePaths&) const = default;

    static std::filesystem::path dataHome(const std::filesystem::path& home, const ProcessEnvironment& environment);
};

} // namespace orvane
