#include "technic/ServerListFile.h"

#include "platform/FileOperations.h"

#include <QtEndian>

#include <iterator>

#include <utility>

namespace orvane::ServerListFile {

namespace {

enum Tag : quint8 {
    endTag = 0,
    byteTag = 1,
    shortTag = 2,
    intTag = 3,
    longTag = 4,
    floatTag = 5,
    doubleTag = 6,
    byteArrayTag = 7,
    stringTag = 8,
    listTag = 9,
    compoundTag = 10,
    intArrayTag = 11,
    longArrayTag = 12,
};

// The fewest bytes one payload of each tag takes, so that a list's count can be checked against what
// is left before any of it is read.
qint64 smallestPayload(quint8 tag)
{
    static constexpr qint64 sizes[] = {0, 1, 2, 4, 8, 4, 8, 4, 2, 5, 1, 4, 4};
    return tag < std::size(sizes) ? sizes[tag] : -1;
}

// Java's modified UTF-8: no 0 byte (U+0000 is C0 80), no four-byte forms (a character beyond U+FFFF
// is written as its two surrogates), and no other overlong form.
bool decodeModifiedUtf8(const char* data, qsizetype size, QString& out)
{
    out.clear();
    out.reserve(size);
    const auto continuation = [&](qsizetype at) { return at < size && (uchar(data[at]) & 0xC0) == 0x80; };
    for (qsizetype i = 0; i < size;) {
        const uchar lead = uchar(data[i]);
        if (lead >= 0x01 && lead <= 0x7F) {
            out += QChar(lead);
            i += 1;
        } else if ((lead & 0xE0) == 0xC0 && continuation(i + 1)) {
            const char16_t unit = char16_t(((lead & 0x1F) << 6) | (uchar(data[i + 1]) & 0x3F));
            if (unit != 0 && unit < 0x80)
                return false;
            out += QChar(unit);
            i += 2;
        } else if ((lead & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
            const char16_t unit = char16_t(((lead & 0x0F) << 12) | ((uchar(data[i + 1]) & 0x3F) << 6)
                                           | (uchar(data[i + 2]) & 0x3F));
            if (unit < 0x800)
                return false;
            out += QChar(unit);
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

// Reads one NBT document, refusing anything that does not fit in the bytes given. Every length is
// checked against what is left before it is used.
class Reader final {
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}

    bool document(std::vector<QString>& out)
    {
        quint8 tag = 0;
        QString name;
        return byte(tag) && tag == compoundTag && text(name) && compound(out, 1) && m_at == m_bytes.size();
    }

private:
    qint64 left() const { return m_bytes.size() - m_at; }

    bool skip(qint64 count)
    {
        if (count < 0 || count > left())
            return false;
        m_at += count;
        return true;
    }

    bool byte(quint8& value)
    {
        if (left() < 1)
            return false;
        value = quint8(m_bytes.at(m_at++));
        return true;
    }

    template <typename T>
    bool number(T& value)
    {
        if (left() < qint64(sizeof(T)))
            return false;
        value = qFromBigEndian<T>(m_bytes.constData() + m_at);
        m_at += sizeof(T);
        return true;
    }

    bool text(QString& value)
    {
        quint16 length = 0;
        if (!number(length) || length > left())
            return false;
        const char* start = m_bytes.constData() + m_at;
        m_at += length;
        return decodeModifiedUtf8(start, length, value);
    }

    bool compound(std::vector<QString>& out, int depth)
    {
        if (depth > depthLimit)
            return false;
        for (;;) {
            quint8 tag = 0;
            if (!byte(tag))
                return false;
            if (tag == endTag)
                return true;
            QString name;
            if (!text(name))
                return false;
            if (tag == stringTag && name == QLatin1String("ip")) {
                QString address;
                if (!text(address))
                    return false;
                out.push_back(std::move(address));
            } else if (!payload(tag, out, depth)) {
                return false;
            }
        }
    }

    bool list(std::vector<QString>& out, int depth)
    {
        if (depth > depthLimit)
            return false;
        quint8 tag = 0;
        qint32 count = 0;
        if (!byte(tag) || !number(count) || count < 0)
            return false;
        const qint64 smallest = smallestPayload(tag);
        // A list of end tags is how an empty list is written; with elements it is malformed.
        if (smallest < 0 || (tag == endTag && count != 0) || qint64(count) * smallest > left())
            return false;
        for (qint32 i = 0; i < count; ++i) {
            if (!payload(tag, out, depth))
                return false;
        }
        return true;
    }

    bool array(qint64 elementSize)
    {
        qint32 count = 0;
        return number(count) && count >= 0 && skip(qint64(count) * elementSize);
    }

    bool payload(quint8 tag, std::vector<QString>& out, int depth)
    {
        switch (tag) {
        case byteTag:
        case shortTag:
        case intTag:
        case longTag:
        case floatTag:
        case doubleTag:
            return skip(smallestPayload(tag));
        case byteArrayTag:
            return array(1);
        case intArrayTag:
            return array(4);
        case longArrayTag:
            return array(8);
        case stringTag: {
            QString ignored;
            return text(ignored);
        }
        case listTag:
            return list(out, depth + 1);
        case compoundTag:
            return compound(out, depth + 1);
        default:
            return false;
        }
    }

    const QByteArray& m_bytes;
    qint64 m_at = 0;
};

} // namespace

std::optional<std::vector<QString>> addresses(const QByteArray& bytes)
{
    std::vector<QString> out;
    if (!Reader(bytes).document(out))
        return std::nullopt;
    return out;
}

std::vector<QString> readAddresses(const std::filesystem::path& instanceRoot, FileOperations& files)
{
    const std::optional<QByteArray> bytes = readFileIfPossible(files, instanceRoot / "servers.dat", byteLimit);
    if (!bytes)
        return {};
    return addresses(*bytes).value_or(std::vector<QString>());
}

} // namespace orvane::ServerListFile
