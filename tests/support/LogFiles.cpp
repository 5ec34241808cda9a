#include "support/LogFiles.h"

#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>
#include <stdexcept>

namespace orvane::test {

void appendFile(const std::filesystem::path& path, const QByteArray& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(bytes.constData(), bytes.size());
    if (!out.flush())
        throw std::runtime_error("cannot append to " + path.native());
}

void replaceFile(const std::filesystem::path& path, const QByteArray& bytes)
{
    const auto fresh = path.parent_path() / (path.filename().native() + ".new");
    writeFile(fresh, bytes);
    std::filesystem::rename(fresh, path);
}

void truncateFile(const std::filesystem::path& path, std::uintmax_t size)
{
    std::filesystem::resize_file(path, size);
}

void setModified(const std::filesystem::path& path, const QDateTime& date)
{
    const qint64 ms = date.toMSecsSinceEpoch();
    struct timespec times[2];
    times[0].tv_sec = time_t(ms / 1000);
    times[0].tv_nsec = long(ms % 1000) * 1000000;
    times[1] = times[0];
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        throw std::runtime_error("cannot set the date of " + path.native());
}

} // namespace orvane::test
