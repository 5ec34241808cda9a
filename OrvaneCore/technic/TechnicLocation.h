#pragma once

#include <filesystem>
#include <optional>

namespace orvane {

// Where the official Technic Launcher and its data folder were found; either may be absent.
struct TechnicLocation {
    // The launcher application bundle or its JAR.
    std::optional<std::filesystem::path> appURL;
    // The launcher's data folder (installed packs, settings, logs, runtimes).
    std::optional<std::filesystem::path> dataRoot;

    bool operator==(const TechnicLocation&) const = default;
};

} // namespace orvane
