#include "technic/ReportFreshness.h"

#include "platform/RegularFile.h"
#include "technic/TechnicFileReading.h"

#include <QCryptographicHash>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <vector>

namespace orvane {

namespace {

constexpr std::int64_t nsPerMs = 1000000;
// How near the start a file's date must be for it to count as written as the watch began.
constexpr std::int64_t startWindowMs = 1000;

// Adds [from, from + count) of `fd` to `hash`; false when the file could not be read.
bool addRange(QCryptographicHash& hash, int fd, std::uint64_t from, std::uint64_t count)
{
    std::vector<char> buffer(count);
    std::uint64_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, buffer.data() + done, count - done, off_t(from + done));
        if (got <= 0)
            return false;
        done += std::uint64_t(got);
    }
    hash.addData(QByteArrayView(buffer.data(), qsizetype(count)));
    return true;
}

} // namespace

ReportFreshness::ReportFreshness(const std::filesystem::path& folder, bool (*matches)(const std::filesystem::path&),
                                 std::int64_t startMs, std::uint64_t edgeBytes)
    : m_folder(folder), m_matches(matches), m_edgeBytes(edgeBytes)
{
    for (auto& path : entries()) {
        const auto stamp = stampOf(path);
        if (!stamp)
            continue; // not a file that can be read: judged when it becomes one
        const std::int64_t modifiedMs = stamp->modifiedNs / nsPerMs;
        if (modifiedMs >= startMs - startWindowMs && modifiedMs <= startMs + startWindowMs)
            continue;
        QByteArray digest = digestOf(path);
        m_unchanged.emplace(std::move(path), Known{*stamp, std::move(digest)});
    }
}

std::vector<std::filesystem::path> ReportFreshness::entries() const
{
    auto listed = listFolder(m_folder).value_or(std::vector<std::filesystem::path>());
    if (m_matches)
        std::erase_if(listed, [this](const std::filesystem::path& path) { return !m_matches(path); });
    return listed;
}

bool ReportFreshness::isNew(const std::filesystem::path& path)
{
    const auto known = m_unchanged.find(path);
    if (known == m_unchanged.end())
        return true;
    const auto stamp = stampOf(path);
    if (!stamp)
        return false; // gone or unreadable for now: nothing to read either way
    if (*stamp == known->second.stamp)
        return false;
    if (stamp->size == known->second.stamp.size && digestOf(path) == known->second.digest) {
        known->second.stamp = *stamp; // saved again unchanged
        return false;
    }
    m_unchanged.erase(known);
    return true;
}

std::optional<ReportFreshness::Stamp> ReportFreshness::stampOf(const std::filesystem::path& path)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return Stamp{status.st_dev, status.st_ino, status.st_size,
                 std::int64_t(status.st_mtim.tv_sec) * 1000 * nsPerMs + status.st_mtim.tv_nsec};
}

QByteArray ReportFreshness::digestOf(const std::filesystem::path& path) const
{
    struct stat status {};
    FileDescriptor fd;
    try {
        fd = openRegularFile(path, "read", &status);
    } catch (const std::system_error&) {
        return QByteArray();
    }
    const auto size = std::uint64_t(status.st_size);
    const std::uint64_t head = std::min(size, m_edgeBytes);
    const std::uint64_t tailStart = std::max(head, size > m_edgeBytes ? size - m_edgeBytes : 0);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!addRange(hash, fd.get(), 0, head) || !addRange(hash, fd.get(), tailStart, size - tailStart))
        return QByteArray();
    return hash.result();
}

} // namespace orvane
