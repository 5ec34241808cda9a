#include "records/FileMeasurement.h"

#include "platform/FileDescriptor.h"
#include "platform/Sha256.h"
#include "platform/SystemError.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

namespace orvane {

CopiedFile measureRegularFile(const std::filesystem::path& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd)
        throwErrno("open", path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throwErrno("stat", path);
    if (!S_ISREG(st.st_mode))
        throwSystemError(EINVAL, "read", path);
    unsigned long long count = 0;
    CopiedFile measured;
    measured.sha256 = sha256HexOfDescriptor(fd.get(), path.c_str(), &count);
    measured.byteCount = count;
    return measured;
}

} // namespace orvane
