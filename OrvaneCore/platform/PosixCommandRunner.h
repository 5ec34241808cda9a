#pragma once

#include "platform/CommandRunner.h"

namespace orvane {

// CommandRunner on posix_spawn, pipes and poll; a pidfd tells when the child ends.
class PosixCommandRunner final : public CommandRunner {
public:
    CommandResult run(const Command& command) override;
};

} // namespace orvane
