#include "records/BackupSequence.h"

#include "platform/FileDescriptor.h"
#include "platform/OwnItemNames.h"

#include <QByteArray>
#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// The shared encoder sorts keys and "sequence" sorts last: it is in the manifest's last bytes.
constexpr off_t kTailBytes = 256;

} // namespace

std::optional<std::int64_t> sequenceOfBackupIn(const std::filesystem::path& folder)
{
    const std::filesystem::path manifest = folder / "manifest.json";
    const FileDescriptor fd(::open(manifest.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    const off_t start = std::max<off_t>(0, st.st_size - kTailBytes);
    QByteArray tail(qsizetype(st.st_size - start), '\0');
    const ssize_t n = ::pread(fd.get(), tail.data(), std::size_t(tail.size()), start);
    if (n <= 0)
        return std::nullopt;
    tail.truncate(qsizetype(n));
    static const QRegularExpression pattern(QStringLiteral("\"sequence\"\\s*:\\s*(\\d{1,18})\\s*\\}\\s*$"));
    const auto match = pattern.match(QString::fromLatin1(tail));
    if (!match.hasMatch())
        return std::nullopt;
    return std::int64_t(match.captured(1).toLongLong());
}

std::int64_t nextBackupSequence(const std::filesystem::path& storeRoot)
{
    std::int64_t last = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(storeRoot, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec)) {
        if (it->path().filename().native().starts_with(ownItemNames::partialBackup))
            continue;
        last = std::max(last, sequenceOfBackupIn(it->path()).value_or(0));
    }
    return last == std::numeric_limits<std::int64_t>::max() ? last : last + 1;
}

} // namespace orvane
