#include "technic/LogTail.h"

#include "platform/FileDescriptor.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

constexpr std::uint64_t chunkBytes = std::uint64_t(1) << 20;

bool isContinuation(char byte)
{
    return (uchar(byte) & 0xC0) == 0x80;
}

// How many bytes at the end of `bytes` begin a UTF-8 character that is not complete yet. Invalid
// bytes are not held back: the decoder replaces them.
qsizetype incompleteTail(QByteArrayView bytes)
{
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const uchar byte = uchar(bytes[size - back]);
        if (isContinuation(char(byte)))
            continue;
        const int length = byte >= 0xC2 && byte <= 0xDF ? 2 : byte >= 0xE0 && byte <= 0xEF ? 3
                         : byte >= 0xF0 && byte <= 0xF4                            ? 4
                                                                                   : 1;
        return length > back ? back : 0;
    }
    return 0;
}

} // namespace

LogTail::LogTail(std::filesystem::path path, std::optional<std::uint64_t> edgeBytes)
    : m_path(std::move(path)), m_edgeBytes(edgeBytes)
{
}

void LogTail::restart()
{
    m_offset = 0;
    m_pending.clear();
    m_skipContinuation = false;
    m_broken = true;
}

void LogTail::skipExisting()
{
    restart();
    m_identity.reset();
    struct stat status {};
    if (::lstat(m_path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return;
    m_identity = Identity{status.st_dev, status.st_ino};
    m_offset = std::uint64_t(status.st_size);
    // The watch starts wherever the writer stands, possibly inside a character.
    m_skipContinuation = m_offset > 0;
}

QString LogTail::readNew()
{
    QString text;
    readNew([&text](QStringView piece, bool) { text += piece; });
    return text;
}

void LogTail::readNew(const TextSink& sink)
{
    struct stat status {};
    FileDescriptor fd;
    try {
        fd = openRegularFile(m_path, "read", &status);
    } catch (const std::system_error&) {
        return;
    }
    const Identity identity{status.st_dev, status.st_ino};
    if (m_identity != identity) {
        // Another file under this name (or the first one seen): all of it is new.
        restart();
        m_identity = identity;
    }
    const auto size = std::uint64_t(status.st_size);
    if (size < m_offset)
        restart(); // truncated in place
    if (size == m_offset)
        return;

    if (!m_edgeBytes) {
        readRange(fd.get(), m_offset, size, sink);
        return;
    }
    const std::uint64_t edge = *m_edgeBytes;
    if (m_offset < edge && !readRange(fd.get(), m_offset, std::min(size, edge), sink))
        return;
    const std::uint64_t tailStart = std::max(m_offset, size > edge ? size - edge : 0);
    if (tailStart > m_offset) {
        cutHere();
        m_offset = tailStart;
    }
    readRange(fd.get(), m_offset, size, sink);
}

bool LogTail::readRange(int fd, std::uint64_t from, std::uint64_t to, const TextSink& sink)
{
    std::uint64_t position = from;
    while (position < to) {
        QByteArray buffer(qsizetype(std::min(chunkBytes, to - position)), Qt::Uninitialized);
        const ssize_t count = ::pread(fd, buffer.data(), size_t(buffer.size()), off_t(position));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false; // failed, or the file got shorter while we read: the next read sorts it out
        buffer.truncate(count);
        position += std::uint64_t(count);
        m_offset = position;
        m_bytesRead += std::uint64_t(count);
        decode(std::move(buffer), sink);
    }
    return true;
}

void LogTail::decode(QByteArray bytes, const TextSink& sink)
{
    if (m_skipContinuation) {
        qsizetype skip = 0;
        while (skip < 3 && skip < bytes.size() && isContinuation(bytes[skip]))
            ++skip;
        bytes.remove(0, skip);
        m_skipContinuation = bytes.isEmpty() && skip < 3;
    }
    if (!m_pending.isEmpty()) {
        bytes.prepend(m_pending);
        m_pending.clear();
    }
    const qsizetype held = incompleteTail(bytes);
    if (held > 0) {
        m_pending = bytes.right(held);
        bytes.chop(held);
    }
    if (bytes.isEmpty())
        return;
    sink(QString::fromUtf8(bytes), !m_broken);
    m_broken = false;
}

void LogTail::cutHere()
{
    // The bytes between the head and the tail are skipped on purpose: a character cut at either
    // edge is dropped rather than shown as replacement characters.
    m_pending.clear();
    m_skipContinuation = true;
    m_broken = true;
}

} // namespace orvane
