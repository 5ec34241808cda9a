#include "model/FileDigest.h"

#include "platform/RegularFile.h"
#include "platform/Sha256.h"

namespace orvane {

QString sha256Hex(const std::filesystem::path& file)
{
    // A FIFO or device is refused rather than read: it could block or never end.
    const FileDescriptor fd = openRegularFile(file, "read", nullptr, true);
    return sha256HexOfDescriptor(fd.get(), file.c_str());
}

QStringList hexByteStrings(const QByteArray& digest)
{
    static constexpr char digits[] = "0123456789abcdef";
    QStringList out;
    out.reserve(digest.size());
    for (const char c : digest) {
        const auto b = static_cast<unsigned char>(c);
        const char pair[2] = {digits[b >> 4], digits[b & 0xF]};
        out.append(QString::fromLatin1(pair, 2));
    }
    return out;
}

QString hexDigest(const QByteArray& digest)
{
    return QString::fromLatin1(digest.toHex());
}

} // namespace orvane
