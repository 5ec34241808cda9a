#pragma once

#include "platform/ProcessSpawner.h"

namespace orvane {

// ProcessSpawner on posix_spawn with a waiting thread per started program.
class PosixProcessSpawner final : public ProcessSpawner {
public:
    pid_t startDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                        const ProcessEnvironment& environment) override;
};

} // namespace orvane
