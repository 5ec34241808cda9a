#include "stage2/ArtifactIntegrityVerifier.h"

#include "model/OrvaneError.h"
#include "platform/FileDescriptor.h"
#include "platform/HexDigest.h"
#include "platform/Sha256.h"
#include "platform/SystemError.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

namespace orvane {

namespace {

[[noreturn]] void refuse(const char* text, const QString& id)
{
    throw OrvaneError::policyDenied(QString::fromUtf8(text) + id);
}

} // namespace

void ArtifactIntegrityVerifier::verify(QByteArrayView data, const AuthorizedArtifact& artifact)
{
    if (std::uint64_t(data.size()) != artifact.byteCount)
        refuse("Artifact size verification failed: ", artifact.id);
    if (hexDigest(Sha256::digest(data)) != artifact.sha256)
        refuse("Artifact SHA-256 verification failed: ", artifact.id);
}

void ArtifactIntegrityVerifier::verify(const std::filesystem::path& file, const AuthorizedArtifact& artifact)
{
    // O_NONBLOCK so that a FIFO opens at once and is then refused, instead of waiting for a writer.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        const int error = errno;
        // A link (ELOOP) or a socket (ENXIO) cannot be opened this way; anything that is not a
        // regular file is a refusal, not a file-system error.
        struct stat info {};
        if (::lstat(file.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
            refuse("Artifact is not a regular file: ", artifact.id);
        throwSystemError(error, "open", file);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        throwErrno("fstat", file);
    if (!S_ISREG(info.st_mode))
        refuse("Artifact is not a regular file: ", artifact.id);
    if (info.st_size < 0 || std::uint64_t(info.st_size) != artifact.byteCount)
        refuse("Artifact size verification failed: ", artifact.id);

    unsigned long long hashed = 0;
    const QString digest = sha256HexOfDescriptor(fd.get(), file.c_str(), &hashed);
    // The file changed length while it was read: what was hashed is not what was measured.
    if (hashed != artifact.byteCount)
        refuse("Artifact size verification failed: ", artifact.id);
    if (digest != artifact.sha256)
        refuse("Artifact SHA-256 verification failed: ", artifact.id);
}

} // namespace orvane
