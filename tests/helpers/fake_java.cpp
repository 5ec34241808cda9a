// A stand-in child process for tests: records how it was started and behaves as told through its
// environment, so tests can start a real program without depending on what the host has installed.
//
//   FAKE_JAVA_RECORD=<file>        write "arg:", "env:", "stdin:", "stdout:", "stderr:", "pid:", "session:"
//                                  and "fd:" lines to <file> (written whole, then renamed into place)
//   FAKE_JAVA_STDOUT / _STDERR     text to write to standard output / error
//   FAKE_JAVA_FLOOD=<bytes>        write that many bytes to standard output
//   FAKE_JAVA_ERROR_FLOOD=<bytes>  write that many bytes to standard error
//   FAKE_JAVA_CHECK_JAR=1          as java does with "-jar <file>": a file that cannot be read or is
//                                  no zip ends it at once with "Error: … jarfile <file>" and status 1
//   FAKE_JAVA_GRANDCHILD=<secs>    leave a child behind that holds our output open for that long
//   FAKE_JAVA_SLEEP=<secs>         sleep before ending
//   FAKE_JAVA_SIGNAL=<number>      end by that signal
//   FAKE_JAVA_EXIT=<code>          exit code (default 0)

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string linkOf(const std::string& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    return n < 0 ? std::string("?") : std::string(buffer, std::size_t(n));
}

void writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        data += n;
        size -= std::size_t(n);
    }
}

void flood(int fd, long long count)
{
    const std::vector<char> block(64 * 1024, 'x');
    const auto blockSize = static_cast<long long>(block.size());
    for (long long left = count; left > 0; left -= blockSize)
        writeAll(fd, block.data(), std::size_t(std::min(left, blockSize)));
}

// The jar after "-jar", checked as java checks it before running anything; 0 when it would run.
int checkJar(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-jar") != 0)
            continue;
        const std::string jar = argv[i + 1];
        std::string failure;
        if (FILE* in = std::fopen(jar.c_str(), "rb")) {
            char magic[4] = {};
            if (std::fread(magic, 1, sizeof magic, in) != sizeof magic || std::memcmp(magic, "PK\x03\x04", 4) != 0)
                failure = "Error: Invalid or corrupt jarfile " + jar + "\n";
            std::fclose(in);
        } else {
            failure = "Error: Unable to access jarfile " + jar + "\n";
        }
        if (failure.empty())
            return 0;
        writeAll(2, failure.data(), failure.size());
        return 1;
    }
    return 0;
}

void record(const char* file, int argc, char** argv)
{
    std::string text;
    for (int i = 0; i < argc; ++i)
        text += "arg:" + std::string(argv[i]) + "\n";
    for (char** entry = environ; *entry; ++entry)
        text += "env:" + std::string(*entry) + "\n";
    text += "stdin:" + linkOf("/proc/self/fd/0") + "\n";
    text += "stdout:" + linkOf("/proc/self/fd/1") + "\n";
    text += "stderr:" + linkOf("/proc/self/fd/2") + "\n";
    text += "pid:" + std::to_string(::getpid()) + "\n";
    text += "session:" + std::string(::getsid(0) == ::getpid() ? "leader" : "inherited") + "\n";
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        const int own = ::dirfd(fds);
        while (const dirent* entry = ::readdir(fds)) {
            if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != own)
                text += "fd:" + std::string(entry->d_name) + "\n";
        }
        ::closedir(fds);
    }
    const std::string temporary = std::string(file) + ".partial";
    if (FILE* out = std::fopen(temporary.c_str(), "w")) {
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
        std::rename(temporary.c_str(), file);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* file = std::getenv("FAKE_JAVA_RECORD"))
        record(file, argc, argv);
    if (const char* text = std::getenv("FAKE_JAVA_STDOUT"))
        writeAll(1, text, std::strlen(text));
    if (const char* text = std::getenv("FAKE_JAVA_STDERR"))
        writeAll(2, text, std::strlen(text));
    if (std::getenv("FAKE_JAVA_CHECK_JAR")) {
        if (const int status = checkJar(argc, argv))
            return status;
    }
    if (const char* count = std::getenv("FAKE_JAVA_FLOOD"))
        flood(1, std::atoll(count));
    if (const char* count = std::getenv("FAKE_JAVA_ERROR_FLOOD"))
        flood(2, std::atoll(count));
    if (const char* seconds = std::getenv("FAKE_JAVA_GRANDCHILD")) {
        if (::fork() == 0) {
            ::sleep(unsigned(std::atoi(seconds)));
            ::_exit(0);
        }
    }
    if (const char* seconds = std::getenv("FAKE_JAVA_SLEEP"))
        ::usleep(useconds_t(std::atof(seconds) * 1e6));
    if (const char* number = std::getenv("FAKE_JAVA_SIGNAL")) {
        const int signal = std::atoi(number);
        std::signal(signal, SIG_DFL);
        ::raise(signal);
    }
    const char* code = std::getenv("FAKE_JAVA_EXIT");
    return code ? std::atoi(code) : 0;
}
