#include "platform/UserRuntimeFolder.h"

#include "platform/FileDescriptor.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {
namespace {

QString variable(const ProcessEnvironment& environment, const QString& name)
{
    const auto found = environment.find(name);
    return found == environment.end() ? QString() : found->second;
}

// The desktop session's runtime folder, when it is one we can trust: absolute, a folder of ours
// (links followed, as sessions may point it elsewhere), writable by nobody else.
bool isPrivateRuntimeBase(const std::filesystem::path& base)
{
    struct stat status {};
    if (!base.is_absolute() || ::stat(base.c_str(), &status) != 0)
        return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0
        && ::access(base.c_str(), W_OK | X_OK) == 0;
}

// Makes `folder` a 0700 folder of ours, or refuses it. Checked and narrowed through one descriptor
// opened without following a link, so what is checked is what is kept.
void securePrivateFolder(const std::filesystem::path& folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throwErrno("mkdir", folder);
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        throwErrno("open", folder);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        throwErrno("fstat", folder);
    if (status.st_uid != ::geteuid())
        throwSystemError(EPERM, "owned by another user:", folder);
    if ((status.st_mode & 07777) != 0700 && ::fchmod(fd.get(), 0700) != 0)
        throwErrno("chmod", folder);
}

} // namespace

std::filesystem::path userRuntimeFolder(const ProcessEnvironment& environment, const QString& name)
{
    std::filesystem::path folder;
    const QString runtime = variable(environment, QStringLiteral("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && isPrivateRuntimeBase(pathFromText(runtime))) {
        folder = pathFromText(runtime) / pathFromText(name);
    } else {
        const QString temporary = variable(environment, QStringLiteral("TMPDIR"));
        const std::filesystem::path base
            = temporary.startsWith(QLatin1Char('/')) ? pathFromText(temporary) : std::filesystem::path("/tmp");
        folder = base / pathFromText(name + QLatin1Char('-') + QString::number(::geteuid()));
    }
    folder = standardised(folder);
    securePrivateFolder(folder);
    return folder;
}

} // namespace orvane
