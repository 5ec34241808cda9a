#include "json/StrictBase64.h"

#include "json/JsonCodecs.h"

namespace orvane {

namespace {

int sextet(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

std::optional<QByteArray> decodeStrictBase64(QByteArrayView text)
{
    const qsizetype size = text.size();
    if (size % 4 != 0)
        return std::nullopt;
    qsizetype padding = 0;
    if (size > 0 && text[size - 1] == '=')
        padding = text[size - 2] == '=' ? 2 : 1;
    QByteArray out;
    out.reserve(size / 4 * 3);
    for (qsizetype group = 0; group < size; group += 4) {
        const bool last = group + 4 == size;
        const qsizetype digits = last ? 4 - padding : 4;
        quint32 bits = 0;
        for (qsizetype i = 0; i < 4; ++i) {
            int v = 0;
            if (i < digits) {
                v = sextet(text[group + i]);
                if (v < 0)
                    return std::nullopt;
            }
            bits = (bits << 6) | quint32(v);
        }
        const char bytes[3] = {char(bits >> 16), char((bits >> 8) & 0xFF), char(bits & 0xFF)};
        const qsizetype produced = digits - 1;
        // Bits below the last produced byte must be zero.
        if (produced < 3 && (bits & ((1u << (8 * (3 - produced))) - 1)) != 0)
            return std::nullopt;
        out.append(bytes, produced);
    }
    return out;
}

QByteArray decodeBase64(const QJsonValue& value, const QString& what)
{
    const QString text = decodeString(value, what);
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            throwDecoding(what, QStringLiteral("the text is not Base64"));
    }
    const auto bytes = decodeStrictBase64(text.toLatin1());
    if (!bytes)
        throwDecoding(what, QStringLiteral("the text is not Base64"));
    return *bytes;
}

QJsonValue toJsonBase64(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

} // namespace orvane
