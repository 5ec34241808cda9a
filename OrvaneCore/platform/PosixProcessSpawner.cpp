#include "platform/PosixProcessSpawner.h"

#include "platform/ChildProcess.h"

namespace orvane {

std::shared_ptr<ProcessSpawner> ProcessSpawner::system()
{
    static const auto instance = std::make_shared<PosixProcessSpawner>();
    return instance;
}

pid_t PosixProcessSpawner::startDetached(const std::filesystem::path& executable,
                                         const std::vector<std::string>& arguments,
                                         const ProcessEnvironment& environment)
{
    ChildProcessRequest request;
    request.executable = executable;
    request.arguments = arguments;
    request.environment = environment;
    request.newSession = true; // closing the terminal we were started from must not end it
    const pid_t pid = startChildProcess(request);
    reapInBackground(pid);
    return pid;
}

} // namespace orvane
