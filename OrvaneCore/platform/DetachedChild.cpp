#include "platform/DetachedChild.h"

#include "platform/FileDescriptor.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane {

struct DetachedChild::Shared {
    mutable std::mutex mutex;
    std::optional<ChildExit> exit;
    QByteArray errorTail;

    void append(const char* data, std::size_t size)
    {
        const std::lock_guard lock(mutex);
        errorTail.append(data, qsizetype(size));
        if (std::size_t(errorTail.size()) > errorTailBytes)
            errorTail.remove(0, errorTail.size() - qsizetype(errorTailBytes));
    }
};

namespace {

// Without a process descriptor (a kernel before 5.3) the thread looks for the child's end this often.
constexpr int fallbackPollMilliseconds = 100;
// What one wake-up reads at most, so that a flood of output never keeps the end of the child unseen.
constexpr std::size_t drainPerWake = 64 * 1024;
// What is read after the child ended before its status is published; a child it left behind may
// go on writing for ever.
constexpr std::size_t drainAfterExit = 1024 * 1024;

int openProcessDescriptor(pid_t pid)
{
#ifdef SYS_pidfd_open
    return int(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

// The watching thread's work: drains the pipe and reaps the child.
class ChildWatch final {
public:
    ChildWatch(std::shared_ptr<DetachedChild::Shared> shared, pid_t pid, FileDescriptor errors,
               FileDescriptor process)
        : m_shared(std::move(shared)), m_pid(pid), m_errors(std::move(errors)), m_process(std::move(process))
    {
    }

    void run()
    {
        while (!m_reaped || m_errors) {
            if (m_reaped) {
                // Only the pipe is left: it ends when whatever the child left behind closes it.
                waitForPipe(-1);
                drain(drainPerWake);
                continue;
            }
            if (!m_errors && !m_process) {
                reap(0);
                continue;
            }
            const bool ended = waitForPipeOrEnd();
            drain(drainPerWake);
            if (ended)
                reap(0);
            else if (!m_process)
                reap(WNOHANG);
        }
    }

private:
    // Waits for output on the pipe or the child's end; true when the child's descriptor says it ended.
    bool waitForPipeOrEnd()
    {
        pollfd fds[2] {};
        nfds_t count = 0;
        if (m_errors)
            fds[count++] = {m_errors.get(), POLLIN, 0};
        const nfds_t processIndex = count;
        if (m_process)
            fds[count++] = {m_process.get(), POLLIN, 0};
        const int ready = ::poll(fds, count, m_process ? -1 : fallbackPollMilliseconds);
        if (ready < 0) {
            if (errno != EINTR)
                giveUpWaiting();
            return false;
        }
        return m_process && (fds[processIndex].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    }

    void waitForPipe(int timeout)
    {
        pollfd fd {m_errors.get(), POLLIN, 0};
        if (::poll(&fd, 1, timeout) < 0 && errno != EINTR)
            m_errors.reset();
    }

    // Polling itself failed (no memory): nothing is drained any more, and the child is waited for
    // with a blocking wait. A child writing after this gets EPIPE (the JVM ignores SIGPIPE).
    void giveUpWaiting()
    {
        m_errors.reset();
        m_process.reset();
    }

    // Reads what the pipe holds now, up to `limit` bytes; closes it at its end.
    void drain(std::size_t limit)
    {
        if (!m_errors)
            return;
        char buffer[4096];
        for (std::size_t total = 0; total < limit;) {
            const ssize_t n = ::read(m_errors.get(), buffer, sizeof buffer);
            if (n > 0) {
                m_shared->append(buffer, std::size_t(n));
                total += std::size_t(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                return;
            } else {
                m_errors.reset(); // every writer closed it, or it failed
                return;
            }
        }
    }

    // Reaps the child (`flags` WNOHANG: only when it has ended); its status is published after what
    // it wrote before its end was read.
    void reap(int flags)
    {
        int status = 0;
        pid_t done = ::waitpid(m_pid, &status, flags);
        while (done < 0 && errno == EINTR)
            done = ::waitpid(m_pid, &status, flags);
        if (done == 0)
            return;
        m_reaped = true;
        m_process.reset();
        if (done < 0)
            return; // reaped elsewhere: its end stays unknown
        drain(drainAfterExit);
        const std::lock_guard lock(m_shared->mutex);
        m_shared->exit = decodeWaitStatus(status);
    }

    std::shared_ptr<DetachedChild::Shared> m_shared;
    pid_t m_pid;
    FileDescriptor m_errors;
    FileDescriptor m_process;
    bool m_reaped = false;
};

} // namespace

DetachedChild::DetachedChild(pid_t pid, std::shared_ptr<Shared> shared) : m_pid(pid), m_shared(std::move(shared)) {}

std::shared_ptr<DetachedChild> DetachedChild::start(ChildProcessRequest request)
{
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throwErrno("start", request.executable);
    FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);
    // Only our end waits for nothing; the child writes as to any blocking descriptor.
    if (::fcntl(readEnd.get(), F_SETFL, O_NONBLOCK) != 0)
        throwErrno("start", request.executable);

    request.standardError = writeEnd.get();
    const pid_t pid = startChildProcess(request);
    writeEnd.reset(); // the pipe ends once the child and what it leaves behind close their copies

    auto shared = std::make_shared<Shared>();
    FileDescriptor process(openProcessDescriptor(pid));
    try {
        std::thread([watch = std::make_shared<ChildWatch>(shared, pid, std::move(readEnd), std::move(process))] {
            watch->run();
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child still runs and is reaped when this process ends. Failing here
        // would report a start that did happen as failed; its end simply stays unknown.
    }
    return std::make_shared<DetachedChild>(pid, std::move(shared));
}

std::optional<ChildExit> DetachedChild::exitStatus() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->exit;
}

QByteArray DetachedChild::errorOutput() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->errorTail;
}

} // namespace orvane
