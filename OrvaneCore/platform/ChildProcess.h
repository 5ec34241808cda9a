#pragma once

#include "platform/ProcessEnvironment.h"

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// What the platform layer needs to start one child process. No shell is ever involved.
struct ChildProcessRequest {
    std::filesystem::path executable;   // a path, or a bare name looked up on PATH
    std::vector<std::string> arguments; // without the program name
    std::optional<ProcessEnvironment> environment; // absent: this process's own
    int standardOutput = -1;            // descriptor to hand over, or -1 for the null device
    int standardError = -1;
    bool newSession = false;            // detach from our session and terminal
};

// Starts the child with the null device as its input and every other descriptor of ours closed.
// Throws std::system_error "start <executable>: <reason>" when it cannot start (missing program,
// no permission, a NUL byte or "=" where none may be).
pid_t startChildProcess(const ChildProcessRequest& request);

// Waits for the child on a thread of its own so that it never lingers as a zombie.
void reapInBackground(pid_t pid);

// Decodes a wait status: the exit code, or the signal number when `signalled`.
struct ChildExit {
    int status = 0;
    bool signalled = false;
    bool operator==(const ChildExit&) const = default;
};
ChildExit decodeWaitStatus(int waitStatus);

// Blocks until the child ends and returns how it ended; retries on EINTR. Throws std::system_error
// when it cannot be waited for.
ChildExit waitForChild(pid_t pid, const std::filesystem::path& executable);

} // namespace orvane
