#include "support/FakeJava.h"

#include "support/TempDir.h"

#include <cerrno>
#include <csignal>
#include <thread>

namespace orvane::test {

std::filesystem::path fakeJavaPath()
{
    return std::filesystem::path(ORVANE_TEST_HELPERS_DIR) / "fake_java";
}

QStringList recordLines(const std::filesystem::path& record, const QString& prefix)
{
    QStringList lines;
    for (const QString& line : QString::fromUtf8(readFile(record)).split(u'\n')) {
        if (line.startsWith(prefix))
            lines << line.mid(prefix.size());
    }
    return lines;
}

bool processGone(pid_t pid)
{
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

bool waitUntil(std::chrono::milliseconds limit, const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace orvane::test
