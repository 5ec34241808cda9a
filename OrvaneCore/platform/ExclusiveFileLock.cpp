#include "platform/ExclusiveFileLock.h"

#include "platform/SystemError.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>

namespace orvane {

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& path)
    : m_fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600))
{
    if (!m_fd)
        throwErrno("open", path);
    while (::flock(m_fd.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            throwErrno("flock", path);
    }
}

} // namespace orvane
