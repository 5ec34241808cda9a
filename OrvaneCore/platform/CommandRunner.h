#pragma once

#include "platform/ProcessEnvironment.h"

#include <QByteArray>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// One run of a tool: an argument vector, never a shell command line.
struct Command {
    std::filesystem::path executable;   // a path, or a bare name looked up on PATH of `environment`
    std::vector<std::string> arguments; // without the program name; passed byte for byte
    std::optional<ProcessEnvironment> environment; // absent: this process's own
    std::optional<std::chrono::milliseconds> timeout; // absent: wait as long as it runs
    std::size_t outputLimit = 1 << 20;  // bytes kept of each of standard output and standard error
    // Without capture both streams go to the null device. Captured streams are pipes that close when
    // run() returns; a program the tool leaves behind (a browser started by an opener) or the tool
    // itself when left running would then fail writing to them, so such tools run without capture.
    bool captureOutput = true;
    // On timeout the tool is killed, unless this is set: then it is left running (and reaped when it
    // ends), for tools such as an opener that may stay up as the program they opened.
    bool leaveRunningAfterTimeout = false;

    bool operator==(const Command&) const = default;
};

// How a run ended and what it wrote.
struct CommandResult {
    int status = 0;          // the exit code, or the signal number when `signalled`
    bool signalled = false;
    bool timedOut = false;
    QByteArray standardOutput;
    QByteArray standardError;
    bool outputTruncated = false; // more than `outputLimit` bytes were written to either stream

    bool succeeded() const { return !timedOut && !signalled && status == 0; }
    bool operator==(const CommandResult&) const = default;
};

// Runs a tool to its end with the null device as its input. Throws std::system_error when the tool
// cannot be started ("start <executable>: <reason>"); every way the tool itself ends is a result.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    virtual CommandResult run(const Command& command) = 0;

    // The process-wide real implementation.
    static std::shared_ptr<CommandRunner> system();
};

} // namespace orvane
