#include "platform/LinuxProcessTable.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <system_error>

#include <unistd.h>

namespace orvane {

namespace {

constexpr std::uint64_t kMaxCommandNameBytes = 4096;
// Linux limits a command line to a quarter of the stack limit (2 MiB by default); Java launches
// with long class paths stay far below this.
constexpr std::uint64_t kMaxCommandLineBytes = 8 << 20;
constexpr std::size_t kMaxLinkBytes = 1 << 16;
// What the kernel appends to the executable's path once the file was removed or replaced (an
// upgraded Java keeps running from its old, now deleted file).
constexpr std::string_view kDeletedSuffix = " (deleted)";

std::optional<std::int32_t> processID(const std::string& name)
{
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::int32_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end != name.data() + name.size() || pid <= 0)
        return std::nullopt;
    return pid;
}

std::optional<std::string> linkTarget(const std::filesystem::path& link)
{
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
        if (n < 0)
            return std::nullopt;
        if (std::size_t(n) < buffer.size()) {
            buffer.resize(std::size_t(n));
            return buffer;
        }
        if (buffer.size() >= kMaxLinkBytes)
            return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::shared_ptr<ProcessTable> ProcessTable::system()
{
    static const auto instance = std::make_shared<LinuxProcessTable>();
    return instance;
}

LinuxProcessTable::LinuxProcessTable(std::filesystem::path root, std::shared_ptr<FileOperations> files)
    : m_proc(std::move(root) / "proc")
    , m_files(std::move(files))
{
}

std::filesystem::path LinuxProcessTable::processFolder(std::int32_t pid) const
{
    return m_proc / std::to_string(pid);
}

std::vector<std::int32_t> LinuxProcessTable::processIDs()
{
    std::vector<std::int32_t> pids;
    std::error_code error;
    std::filesystem::directory_iterator entries(m_proc, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        if (const auto pid = processID(entries->path().filename().native()))
            pids.push_back(*pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

std::optional<std::filesystem::path> LinuxProcessTable::executablePath(std::int32_t pid)
{
    auto target = linkTarget(processFolder(pid) / "exe");
    if (!target)
        return std::nullopt;
    if (target->ends_with(kDeletedSuffix))
        target->resize(target->size() - kDeletedSuffix.size());
    if (target->empty())
        return std::nullopt;
    return std::filesystem::path(*target);
}

std::optional<QString> LinuxProcessTable::name(std::int32_t pid)
{
    if (const auto executable = executablePath(pid)) {
        const std::string base = executable->filename().native();
        if (!base.empty())
            return QString::fromUtf8(base.data(), qsizetype(base.size()));
    }
    // The executable of another user's process or of a kernel thread cannot be read; its command
    // name (at most 15 bytes) is all there is.
    const auto comm = readFileIfPossible(*m_files, processFolder(pid) / "comm", kMaxCommandNameBytes);
    if (!comm)
        return std::nullopt;
    QByteArray bytes = *comm;
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.isEmpty())
        return std::nullopt;
    return QString::fromUtf8(bytes);
}

std::optional<QString> LinuxProcessTable::commandLine(std::int32_t pid)
{
    auto bytes = readFileIfPossible(*m_files, processFolder(pid) / "cmdline", kMaxCommandLineBytes);
    if (!bytes)
        return std::nullopt;
    if (bytes->endsWith('\0'))
        bytes->chop(1);
    bytes->replace('\0', ' ');
    return QString::fromUtf8(*bytes);
}

} // namespace orvane
