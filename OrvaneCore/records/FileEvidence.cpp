#include "records/FileEvidence.h"

#include "platform/SystemError.h"
#include "platform/RegularFile.h"
#include "platform/Sha256.h"

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

FileStamp stampOf(const struct stat& st)
{
    return FileStamp{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(st.st_size),
                     st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec,
                     S_ISREG(st.st_mode)};
}

std::optional<FileStamp> stampIfPossible(const std::filesystem::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

std::optional<SteadyMeasurement> measureSteadily(const std::filesystem::path& path)
{
    try {
        struct stat before {}, after {};
        const FileDescriptor fd = openRegularFile(path, "read", &before);
        unsigned long long count = 0;
        const QString digest = sha256HexOfDescriptor(fd.get(), path.c_str(), &count);
        const FileStamp stamp = stampOf(before);
        if (::fstat(fd.get(), &after) != 0 || stampOf(after) != stamp || count != stamp.size)
            return std::nullopt;
        return SteadyMeasurement{CopiedFile{count, digest}, stamp};
    } catch (const std::system_error&) {
        return std::nullopt;
    }
}

} // namespace orvane
