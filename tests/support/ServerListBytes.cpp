#include "support/ServerListBytes.h"

#include <QtEndian>

namespace orvane::test {

namespace {

void appendShort(QByteArray& out, quint16 value)
{
    out.append(char(value >> 8)).append(char(value & 0xFF));
}

void appendInt(QByteArray& out, qint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

// Java's modified UTF-8, as DataOutput.writeUTF writes it: every UTF-16 unit on its own (a character
// beyond U+FFFF as its two surrogates), U+0000 in two bytes.
void appendText(QByteArray& out, const QString& text)
{
    QByteArray encoded;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit >= 0x01 && unit <= 0x7F) {
            encoded.append(char(unit));
        } else if (unit <= 0x7FF) {
            encoded.append(char(0xC0 | (unit >> 6))).append(char(0x80 | (unit & 0x3F)));
        } else {
            encoded.append(char(0xE0 | (unit >> 12))).append(char(0x80 | ((unit >> 6) & 0x3F)));
            encoded.append(char(0x80 | (unit & 0x3F)));
        }
    }
    appendShort(out, quint16(encoded.size()));
    out.append(encoded);
}

void appendNamed(QByteArray& out, char tag, const QString& name)
{
    out.append(tag);
    appendText(out, name);
}

} // namespace

QByteArray serverListBytes(const std::vector<ServerListEntry>& entries)
{
    QByteArray out;
    appendNamed(out, 10, QString()); // the root compound
    appendNamed(out, 9, QStringLiteral("servers"));
    out.append(char(10));
    appendInt(out, qint32(entries.size()));
    for (const ServerListEntry& entry : entries) {
        if (entry.icon) {
            appendNamed(out, 8, QStringLiteral("icon"));
            appendText(out, *entry.icon);
        }
        appendNamed(out, 8, QStringLiteral("ip"));
        appendText(out, entry.ip);
        appendNamed(out, 8, QStringLiteral("name"));
        appendText(out, entry.name);
        if (entry.acceptTextures) {
            appendNamed(out, 1, QStringLiteral("acceptTextures"));
            out.append(char(1));
        }
        out.append(char(0));
    }
    out.append(char(0));
    return out;
}

} // namespace orvane::test
