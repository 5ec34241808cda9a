#include "platform/PosixCommandRunner.h"

#include "platform/ChildProcess.h"
#include "platform/FileDescriptor.h"
#include "platform/SystemError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane {

namespace {

using Clock = std::chrono::steady_clock;

// Without a pidfd (older kernels, some sandboxes) the end of the child is noticed by polling.
constexpr int kFallbackTickMs = 10;
constexpr std::size_t kReadChunk = 64 * 1024;
// Bounds one drain so that a writer that never pauses cannot hold us in it.
constexpr int kReadsPerDrain = 16;

// Kills and reaps the child when run() is left through an exception, so no child outlives it.
class ChildGuard final {
public:
    explicit ChildGuard(pid_t pid) : m_pid(pid) {}
    ~ChildGuard()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;
    void release() { m_pid = -1; }

private:
    pid_t m_pid;
};

struct OutputStream {
    FileDescriptor fd;
    QByteArray* sink = nullptr;
};

void makePipe(FileDescriptor& readEnd, FileDescriptor& writeEnd, const std::filesystem::path& executable)
{
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throwErrno("start", executable);
    readEnd = FileDescriptor(fds[0]);
    writeEnd = FileDescriptor(fds[1]);
    const int flags = ::fcntl(readEnd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(readEnd.get(), F_SETFL, flags | O_NONBLOCK) != 0)
        throwErrno("start", executable);
}

// Reads what the stream holds now, keeping at most `limit` bytes in total. Closes the stream at its
// end or on a read error.
void drain(OutputStream& stream, std::size_t limit, bool& truncated)
{
    std::array<char, kReadChunk> buffer {};
    for (int i = 0; i < kReadsPerDrain && stream.fd; ++i) {
        const ssize_t n = ::read(stream.fd.get(), buffer.data(), buffer.size());
        if (n > 0) {
            const std::size_t kept = std::size_t(stream.sink->size());
            const std::size_t room = kept < limit ? limit - kept : 0;
            const std::size_t take = std::min(room, std::size_t(n));
            stream.sink->append(buffer.data(), qsizetype(take));
            if (take < std::size_t(n))
                truncated = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        stream.fd.reset();
    }
}

int pollMilliseconds(Clock::duration remaining)
{
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
    return int(std::clamp<long long>(ms, 0, INT_MAX));
}

// Starts the child, its output into pipes when the command captures it.
pid_t startChild(const Command& command, std::array<OutputStream, 2>& streams)
{
    FileDescriptor outWrite;
    FileDescriptor errWrite;
    if (command.captureOutput) {
        makePipe(streams[0].fd, outWrite, command.executable);
        makePipe(streams[1].fd, errWrite, command.executable);
    }
    ChildProcessRequest request;
    request.executable = command.executable;
    request.arguments = command.arguments;
    request.environment = command.environment;
    request.standardOutput = outWrite.get();
    request.standardError = errWrite.get();
    // Our copies of the write ends close as this returns, so the pipes end when the child's do.
    return startChildProcess(request);
}

// How long one wait may block: until the child ends (with a pidfd) or the next tick, never past the
// deadline. None once the deadline has passed.
std::optional<int> waitBudget(const FileDescriptor& pidfd, const std::optional<Clock::time_point>& deadline)
{
    if (!deadline)
        return pidfd ? -1 : kFallbackTickMs;
    const auto remaining = *deadline - Clock::now();
    if (remaining <= Clock::duration::zero())
        return std::nullopt;
    return pidfd ? pollMilliseconds(remaining) : std::min(kFallbackTickMs, pollMilliseconds(remaining));
}

// Waits up to `waitMs` for output or the child's end, and drains the streams that have output.
void awaitOutput(std::array<OutputStream, 2>& streams, const FileDescriptor& pidfd, int waitMs,
                 const Command& command, CommandResult& result)
{
    std::array<pollfd, 3> fds {};
    std::array<OutputStream*, 3> owners {};
    nfds_t count = 0;
    for (auto& stream : streams) {
        if (stream.fd) {
            fds[count] = {stream.fd.get(), POLLIN, 0};
            owners[count++] = &stream;
        }
    }
    if (pidfd)
        fds[count++] = {pidfd.get(), POLLIN, 0};
    if (::poll(fds.data(), count, waitMs) < 0 && errno != EINTR)
        throwErrno("wait for", command.executable);
    for (nfds_t i = 0; i < count; ++i) {
        if (owners[i] && fds[i].revents != 0)
            drain(*owners[i], command.outputLimit, result.outputTruncated);
    }
}

// Reaps the child when it has ended, with its exit in `result`; false while it runs.
bool reapIfEnded(pid_t pid, ChildGuard& guard, const std::filesystem::path& executable, CommandResult& result)
{
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) {
        guard.release();
        const auto exit = decodeWaitStatus(status);
        result.status = exit.status;
        result.signalled = exit.signalled;
        return true;
    }
    if (ended < 0 && errno != EINTR) {
        guard.release(); // not our child to kill any more
        throwErrno("wait for", executable);
    }
    return false;
}

// A child past its deadline is left running when the command asks so, else killed and reaped.
void endTimedOut(pid_t pid, const Command& command, CommandResult& result)
{
    if (command.leaveRunningAfterTimeout) {
        reapInBackground(pid);
    } else {
        ::kill(pid, SIGKILL);
        const auto exit = waitForChild(pid, command.executable);
        result.status = exit.status;
        result.signalled = exit.signalled;
    }
}

} // namespace

std::shared_ptr<CommandRunner> CommandRunner::system()
{
    static const auto instance = std::make_shared<PosixCommandRunner>();
    return instance;
}

CommandResult PosixCommandRunner::run(const Command& command)
{
    CommandResult result;
    std::array<OutputStream, 2> streams;
    streams[0].sink = &result.standardOutput;
    streams[1].sink = &result.standardError;

    const pid_t pid = startChild(command, streams);
    ChildGuard guard(pid);

    const FileDescriptor pidfd(int(::syscall(SYS_pidfd_open, pid, 0)));
    const auto deadline = command.timeout ? std::optional(Clock::now() + *command.timeout) : std::nullopt;

    for (;;) {
        const std::optional<int> waitMs = waitBudget(pidfd, deadline);
        if (!waitMs) {
            result.timedOut = true;
            break;
        }
        awaitOutput(streams, pidfd, *waitMs, command, result);
        if (reapIfEnded(pid, guard, command.executable, result))
            break;
    }

    if (result.timedOut) {
        guard.release();
        endTimedOut(pid, command, result);
    }
    // Whatever the child wrote before it ended is in the pipes now; a grandchild that inherited them
    // is not waited for.
    for (auto& stream : streams)
        drain(stream, command.outputLimit, result.outputTruncated);
    return result;
}

} // namespace orvane
