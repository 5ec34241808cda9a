#include "platform/RegularFile.h"

#include "platform/Sha256.h"
#include "platform/SystemError.h"

#include <cerrno>

#include <fcntl.h>

namespace orvane {

FileDescriptor openRegularFile(const std::filesystem::path& path, const char* operation, struct stat* status,
                               bool followLinks)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW)));
    if (!fd)
        throwErrno("open", path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throwErrno("stat", path);
    if (!S_ISREG(st.st_mode))
        throwSystemError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, operation, path);
    if (status)
        *status = st;
    return fd;
}

CopiedFile measureRegularFile(const std::filesystem::path& path)
{
    const FileDescriptor fd = openRegularFile(path, "read");
    unsigned long long count = 0;
    CopiedFile measured;
    measured.sha256 = sha256HexOfDescriptor(fd.get(), path.c_str(), &count);
    measured.byteCount = count;
    return measured;
}

} // namespace orvane
