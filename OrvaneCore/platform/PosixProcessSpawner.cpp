#include "platform/PosixProcessSpawner.h"

#include "platform/DetachedChild.h"

namespace orvane {

std::shared_ptr<ProcessSpawner> ProcessSpawner::system()
{
    static const auto instance = std::make_shared<PosixProcessSpawner>();
    return instance;
}

std::shared_ptr<StartedProcess> PosixProcessSpawner::startDetached(const std::filesystem::path& executable,
                                                                 const std::vector<std::string>& arguments,
                                                                 const ProcessEnvironment& environment)
{
    ChildProcessRequest request;
    request.executable = executable;
    request.arguments = arguments;
    request.environment = environment;
    request.newSession = true; // closing the terminal we were started from must not end it
    return DetachedChild::start(std::move(request));
}

} // namespace orvane
