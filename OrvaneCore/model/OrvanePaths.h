#pragma once

#include <filesystem>

namespace orvane {

// The application's own folders under the user's home. Building one touches no file.
struct OrvanePaths {
    std::filesystem::path applicationSupport;
    std::filesystem::path backups;
    std::filesystem::path diagnostics;

    explicit OrvanePaths(const std::filesystem::path& home);
    bool operator==(const OrvanePaths&) const = default;
};

} // namespace orvane
