#include "records/FileEvidence.h"

#include "platform/SystemError.h"
#include "platform/RegularFile.h"

#include <cerrno>

#include <sys/stat.h>

namespace orvane {

bool matchesEvidence(const CopiedFile& measured, const QString& sha256, std::int64_t byteCount)
{
    return byteCount >= 0 && measured.sha256 == sha256 && measured.byteCount == std::uint64_t(byteCount);
}

std::optional<CopiedFile> measureIfPossible(const std::filesystem::path& path)
{
    try {
        return measureRegularFile(path);
    } catch (const std::system_error&) {
        return std::nullopt;
    }
}

bool holdsBytes(const std::filesystem::path& path, const QString& sha256, std::int64_t byteCount)
{
    const auto measured = measureIfPossible(path);
    return measured && matchesEvidence(*measured, sha256, byteCount);
}

bool itemExistsAt(const std::filesystem::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0)
        return true;
    if (errno == ENOENT || errno == ENOTDIR)
        return false;
    throwErrno("stat", path);
}

bool FileStamp::sameContent(const FileStamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size && regular == other.regular
        && modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds;
}

std::optional<FileStamp> stampIfPossible(const std::filesystem::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileStamp{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(st.st_size),
                     st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec,
                     S_ISREG(st.st_mode)};
}

} // namespace orvane
