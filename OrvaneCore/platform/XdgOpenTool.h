#pragma once

#include "platform/CommandRunner.h"
#include "platform/OpenTool.h"

#include <chrono>

namespace orvane {

// OpenTool running xdg-open (found on PATH) with this process's environment.
// Without a desktop environment xdg-open may run the opened program in the foreground and stay up
// as long as it does: after `waitLimit` the tool is left running (reaped when it ends) and the open
// counts as done, since killing it would close what the user asked to open.
class XdgOpenTool final : public OpenTool {
public:
    explicit XdgOpenTool(std::shared_ptr<CommandRunner> runner = CommandRunner::system(),
                         std::filesystem::path tool = "xdg-open",
                         std::chrono::milliseconds waitLimit = std::chrono::seconds(20));

    int open(const std::filesystem::path& target) override;

private:
    std::shared_ptr<CommandRunner> m_runner;
    std::filesystem::path m_tool;
    std::chrono::milliseconds m_waitLimit;
};

} // namespace orvane
