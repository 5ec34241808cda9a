#pragma once

#include "platform/FileOperations.h"
#include "support/FaultyFileOperations.h"

#include <filesystem>
#include <functional>
#include <memory>

#include <sys/wait.h>
#include <unistd.h>

namespace orvane::test {

inline constexpr int kKilled = 86;

// Runs `work` in a child process that ends abruptly (no unwinding, no clean-up) right before the first
// file operation for which `stop` is true, as a kill -9 would; returns true when it ended there.
inline bool killedWhen(const std::function<bool(FaultyFileOperations::Op, const std::filesystem::path&)>& stop,
                       const std::function<void(const std::shared_ptr<FaultyFileOperations>&)>& work,
                       std::shared_ptr<FileOperations> real = FileOperations::system())
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            auto files = std::make_shared<FaultyFileOperations>(real);
            files->beforeEach = [&](FaultyFileOperations::Op op, const std::filesystem::path& path) {
                if (stop(op, path))
                    ::_exit(kKilled);
            };
            work(files);
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == kKilled;
}

} // namespace orvane::test
