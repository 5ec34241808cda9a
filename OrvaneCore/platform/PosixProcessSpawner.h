#pragma once

#include "platform/ProcessSpawner.h"

namespace orvane {

// ProcessSpawner on posix_spawn with a thread per started program that drains its error output and
// reaps it.
class PosixProcessSpawner final : public ProcessSpawner {
public:
    std::shared_ptr<StartedProcess> startDetached(const std::filesystem::path& executable,
                                                  const std::vector<std::string>& arguments,
                                                  const ProcessEnvironment& environment) override;
};

} // namespace orvane
