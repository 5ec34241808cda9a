#pragma once

#include "platform/ProcessEnvironment.h"
#include "platform/StartedProcess.h"

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
    // in a session of its own, with standard input and output on the null device and standard error
    // kept in a bounded tail; does not wait for it, yet reaps it when it ends so it never lingers as
    // a zombie. Returns the started process, which tells how it ended and what it wrote to its error.
    // Throws std::system_error ("start <executable>: <reason>") when it cannot start.
    virtual std::shared_ptr<StartedProcess> startDetached(const std::filesystem::path& executable,
                                                          const std::vector<std::string>& arguments,
                                                          const ProcessEnvironment& environment) = 0;

    // The process-wide real implementation.
    static std::shared_ptr<ProcessSpawner> system();
};

} // namespace orvane
