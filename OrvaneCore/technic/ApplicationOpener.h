#pragma once

#include <filesystem>

namespace orvane {

// Opens the official launcher: an application bundle or the launcher's JAR. Throws on failure.
class ApplicationOpener {
public:
    virtual ~ApplicationOpener() = default;
    virtual void open(const std::filesystem::path& target) = 0;
};

} // namespace orvane
