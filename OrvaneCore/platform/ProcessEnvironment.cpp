#include "platform/ProcessEnvironment.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace orvane {

namespace {

std::optional<QString> exactText(const char* bytes, std::size_t size)
{
    const QByteArray raw(bytes, qsizetype(size));
    const QString text = QString::fromUtf8(raw);
    if (text.toUtf8() != raw)
        return std::nullopt;
    return text;
}

} // namespace

bool isExecutableFile(const std::filesystem::path& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

ProcessEnvironment currentProcessEnvironment()
{
    ProcessEnvironment environment;
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (!equals || equals == *entry)
            continue;
        const auto name = exactText(*entry, std::size_t(equals - *entry));
        const auto value = exactText(equals + 1, std::strlen(equals + 1));
        if (name && value)
            environment.emplace(*name, *value); // the first of duplicate names wins, as getenv does
    }
    return environment;
}

std::optional<std::filesystem::path> findExecutable(const std::filesystem::path& program,
                                                    const std::optional<ProcessEnvironment>& environment)
{
    if (program.empty())
        return std::nullopt;
    if (program.native().find('/') != std::string::npos)
        return program;

    std::string searchPath;
    if (environment) {
        const auto found = environment->find(QStringLiteral("PATH"));
        if (found != environment->end())
            searchPath = found->second.toStdString();
    } else if (const char* own = std::getenv("PATH")) {
        searchPath = own;
    }
    // An empty or missing PATH means no search rather than the current folder: never run a file that
    // happens to lie where we stand.
    std::size_t start = 0;
    while (start <= searchPath.size() && !searchPath.empty()) {
        const std::size_t end = std::min(searchPath.find(':', start), searchPath.size());
        const std::string folder = searchPath.substr(start, end - start);
        if (!folder.empty() && folder.front() == '/') {
            const auto candidate = std::filesystem::path(folder) / program;
            if (isExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

} // namespace orvane
