#pragma once

#include <filesystem>
#include <memory>

namespace orvane {

// The desktop's "open this" tool, handed one path: an application, a folder or a file.
class OpenTool {
public:
    virtual ~OpenTool() = default;

    // Opens `target` and returns the tool's exit status (the signal number when a signal ended it).
    // Throws std::system_error when the tool cannot be started.
    virtual int open(const std::filesystem::path& target) = 0;

    // The process-wide real tool: xdg-open.
    static std::shared_ptr<OpenTool> system();
};

} // namespace orvane
