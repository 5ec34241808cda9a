#include "platform/HexDigest.h"

namespace orvane {

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
