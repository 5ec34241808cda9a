#pragma once

#include "platform/StartedProcess.h"

#include <mutex>

namespace orvane::test {

// A started process whose end and error output the test sets, from any thread.
class FakeStartedProcess final : public StartedProcess {
public:
    explicit FakeStartedProcess(pid_t pid = 4242) : m_pid(pid) {}

    pid_t pid() const override { return m_pid; }
    std::optional<ChildExit> exitStatus() const override
    {
        const std::lock_guard lock(m_mutex);
        return m_exit;
    }
    QByteArray errorOutput() const override
    {
        const std::lock_guard lock(m_mutex);
        return m_errorOutput;
    }

    void end(ChildExit exit, QByteArray errorOutput = {})
    {
        const std::lock_guard lock(m_mutex);
        m_exit = exit;
        m_errorOutput = std::move(errorOutput);
    }

private:
    pid_t m_pid;
    mutable std::mutex m_mutex;
    std::optional<ChildExit> m_exit;
    QByteArray m_errorOutput;
};

} // namespace orvane::test
