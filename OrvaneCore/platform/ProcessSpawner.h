#pragma once

#include "platform/ProcessEnvironment.h"

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace orvane {

// Starts programs that outlive the call, such as the official launcher run from its JAR.
class ProcessSpawner {
public:
    virtual ~ProcessSpawner() = default;

    // Starts `executable` with `arguments` (without the program name) and exactly `environment`,
    // in a session of its own, with standard input, output and error on the null device; does not
    // wait for it, yet reaps it when it ends so it never lingers as a zombie. Returns its process id.
    // Throws std::system_error ("start <executable>: <reason>") when it cannot start.
    virtual pid_t startDetached(const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                                const ProcessEnvironment& environment) = 0;

    // The process-wide real implementation.
    static std::shared_ptr<ProcessSpawner> system();
};

} // namespace orvane
