#include "platform/XdgOpenTool.h"

namespace orvane {

std::shared_ptr<OpenTool> OpenTool::system()
{
    static const auto instance = std::make_shared<XdgOpenTool>();
    return instance;
}

XdgOpenTool::XdgOpenTool(std::shared_ptr<CommandRunner> runner, std::filesystem::path tool,
                         std::chrono::milliseconds waitLimit)
    : m_runner(std::move(runner))
    , m_tool(std::move(tool))
    , m_waitLimit(waitLimit)
{
}

int XdgOpenTool::open(const std::filesystem::path& target)
{
    Command command;
    command.executable = m_tool;
    // xdg-open has no "--": a relative path that looks like an option is made to look like a path.
    const std::string path = target.native();
    command.arguments = {!path.empty() && path.front() == '-' ? "./" + path : path};
    command.timeout = m_waitLimit;
    command.leaveRunningAfterTimeout = true;
    command.captureOutput = false; // what it opens inherits its streams and may outlive us
    const CommandResult result = m_runner->run(command);
    if (result.timedOut)
        return 0;
    return result.status;
}

} // namespace orvane
