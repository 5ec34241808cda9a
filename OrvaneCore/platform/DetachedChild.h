#pragma once

#include "platform/ChildProcess.h"
#include "platform/StartedProcess.h"

#include <cstddef>
#include <memory>

namespace orvane {

// A child started with its standard error on a pipe. One thread of its own drains the pipe into a
// bounded tail (so a chatty child never blocks on a full pipe) and reaps the child when it ends; it
// goes on draining while anything the child left behind still holds the pipe open.
class DetachedChild final : public StartedProcess {
public:
    // The most error output kept: the last this many bytes.
    static constexpr std::size_t errorTailBytes = 16 * 1024;

    // Starts `request` with its standard error replaced by the pipe. Throws what startChildProcess
    // throws, or the system error of the pipe itself; nothing is left open then.
    static std::shared_ptr<DetachedChild> start(ChildProcessRequest request);

    pid_t pid() const override { return m_pid; }
    std::optional<ChildExit> exitStatus() const override;
    QByteArray errorOutput() const override;

    // What the watching thread and the handle share.
    struct Shared;

    DetachedChild(pid_t pid, std::shared_ptr<Shared> shared);

private:
    pid_t m_pid;
    std::shared_ptr<Shared> m_shared;
};

} // namespace orvane
