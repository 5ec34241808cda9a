#pragma once

#include "platform/StartedProcess.h"

#include <filesystem>
#include <memory>

namespace orvane {

// Opens the official launcher: an application bundle or the launcher's JAR. Throws on failure.
class ApplicationOpener {
public:
    virtual ~ApplicationOpener() = default;
    virtual void open(const std::filesystem::path& target) = 0;

    // The program the last open started itself and that answers for the launcher's start (the
    // launcher run from its JAR); nothing when the open handed over to another program or started
    // nothing.
    virtual std::shared_ptr<StartedProcess> startedProcess() const { return nullptr; }
};

} // namespace orvane
