#include "platform/ChildProcess.h"

#include "platform/SystemError.h"

#include <cerrno>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orvane {

namespace {

constexpr const char* kNullDevice = "/dev/null";

// Owns the attributes and file actions of one posix_spawn call.
class SpawnSetup final {
public:
    SpawnSetup()
    {
        m_actionsError = ::posix_spawn_file_actions_init(&m_actions);
        m_attributesError = ::posix_spawnattr_init(&m_attributes);
    }
    ~SpawnSetup()
    {
        if (m_actionsError == 0)
            ::posix_spawn_file_actions_destroy(&m_actions);
        if (m_attributesError == 0)
            ::posix_spawnattr_destroy(&m_attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    int initError() const { return m_actionsError != 0 ? m_actionsError : m_attributesError; }
    posix_spawn_file_actions_t* actions() { return &m_actions; }
    posix_spawnattr_t* attributes() { return &m_attributes; }

private:
    posix_spawn_file_actions_t m_actions {};
    posix_spawnattr_t m_attributes {};
    int m_actionsError = -1;
    int m_attributesError = -1;
};

bool holdsNul(const std::string& text)
{
    return text.find('\0') != std::string::npos;
}

int redirect(posix_spawn_file_actions_t* actions, int source, int target)
{
    if (source < 0)
        return ::posix_spawn_file_actions_addopen(actions, target, kNullDevice, O_WRONLY, 0);
    return ::posix_spawn_file_actions_adddup2(actions, source, target);
}

} // namespace

pid_t startChildProcess(const ChildProcessRequest& request)
{
    const auto& executable = request.executable;
    const auto resolved = findExecutable(executable, request.environment);
    if (!resolved)
        throwSystemError(ENOENT, "start", executable);

    std::vector<std::string> arguments;
    arguments.reserve(request.arguments.size() + 1);
    arguments.push_back(executable.native());
    arguments.insert(arguments.end(), request.arguments.begin(), request.arguments.end());
    for (const auto& argument : arguments) {
        if (holdsNul(argument))
            throwSystemError(EINVAL, "start", executable);
    }
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> entries;
    std::vector<char*> envp;
    char** environment = environ;
    if (request.environment) {
        for (const auto& [name, value] : *request.environment) {
            std::string entry = name.toStdString();
            if (entry.empty() || entry.find('=') != std::string::npos || holdsNul(entry))
                throwSystemError(EINVAL, "start", executable);
            const std::string text = value.toStdString();
            if (holdsNul(text))
                throwSystemError(EINVAL, "start", executable);
            entries.push_back(entry + '=' + text);
        }
        for (auto& entry : entries)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        environment = envp.data();
    }

    SpawnSetup setup;
    if (const int error = setup.initError())
        throwSystemError(error, "start", executable);
    auto* actions = setup.actions();
    int error = ::posix_spawn_file_actions_addopen(actions, STDIN_FILENO, kNullDevice, O_RDONLY, 0);
    if (error == 0)
        error = redirect(actions, request.standardOutput, STDOUT_FILENO);
    if (error == 0)
        error = redirect(actions, request.standardError, STDERR_FILENO);
    // Descriptors opened elsewhere without close-on-exec must not leak into the child.
    if (error == 0)
        error = ::posix_spawn_file_actions_addclosefrom_np(actions, STDERR_FILENO + 1);

    // The child starts with no blocked signals and default dispositions, whatever this process set
    // (an ignored SIGPIPE, for instance, would otherwise be inherited through exec).
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (request.newSession)
        flags |= POSIX_SPAWN_SETSID;
    auto* attributes = setup.attributes();
    if (error == 0)
        error = ::posix_spawnattr_setsigmask(attributes, &none);
    if (error == 0)
        error = ::posix_spawnattr_setsigdefault(attributes, &all);
    if (error == 0)
        error = ::posix_spawnattr_setflags(attributes, flags);
    if (error != 0)
        throwSystemError(error, "start", executable);

    pid_t pid = -1;
    error = ::posix_spawn(&pid, resolved->c_str(), actions, attributes, argv.data(), environment);
    if (error != 0)
        throwSystemError(error, "start", executable);
    return pid;
}

void reapInBackground(pid_t pid)
{
    try {
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child still runs; it is reaped when this process ends. Failing
        // here would report a start that did happen as failed.
    }
}

ChildExit decodeWaitStatus(int waitStatus)
{
    if (WIFSIGNALED(waitStatus))
        return {WTERMSIG(waitStatus), true};
    return {WEXITSTATUS(waitStatus), false};
}

ChildExit waitForChild(pid_t pid, const std::filesystem::path& executable)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throwErrno("wait for", executable);
    }
    return decodeWaitStatus(status);
}

} // namespace orvane
