#include "support/FaultyFileOperations.h"

#include "platform/AtomicWriteTemporary.h"
#include "platform/SystemError.h"

#include <cstdlib>
#include <unistd.h>

#include <fstream>

namespace orvane::test {

FaultyFileOperations::FaultyFileOperations(std::shared_ptr<FileOperations> real) : m_real(std::move(real)) {}

void FaultyFileOperations::failOn(Op op, int nth, int error)
{
    std::lock_guard lock(m_mutex);
    m_rules.emplace(op, Rule{m_calls[op] + nth, false, error});
}

void FaultyFileOperations::failFrom(Op op, int nth, int error)
{
    std::lock_guard lock(m_mutex);
    m_rules.emplace(op, Rule{m_calls[op] + nth, true, error});
}

void FaultyFileOperations::corruptCopy(int nth)
{
    std::lock_guard lock(m_mutex);
    m_corruptNth = m_calls[Op::cloneOrCopy] + nth;
}

void FaultyFileOperations::reportAvailableBytes(std::optional<std::uint64_t> bytes)
{
    std::lock_guard lock(m_mutex);
    m_availableBytes = bytes;
}

std::optional<std::uint64_t> FaultyFileOperations::availableBytes(const std::filesystem::path& path)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_availableBytes)
            return *m_availableBytes;
    }
    return m_real->availableBytes(path);
}

int FaultyFileOperations::calls(Op op) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_calls.find(op);
    return it == m_calls.end() ? 0 : it->second;
}

void FaultyFileOperations::enter(Op op, const std::filesystem::path& path)
{
    if (beforeEach)
        beforeEach(op, path);
    int error = 0;
    {
        std::lock_guard lock(m_mutex);
        const int n = ++m_calls[op];
        auto [first, last] = m_rules.equal_range(op);
        for (auto it = first; it != last; ++it) {
            if (n == it->second.nth || (it->second.onward && n >= it->second.nth))
                error = it->second.error;
        }
    }
    if (error != 0)
        throwSystemError(error, "injected", path);
}

void FaultyFileOperations::writeAtomically(const std::filesystem::path& path, const QByteArray& bytes, mode_t mode)
{
    enter(Op::writeAtomically, path);
    m_real->writeAtomically(path, bytes, mode);
}

QByteArray FaultyFileOperations::readRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes,
                                                 bool followLinks)
{
    enter(Op::readRegularFile, path);
    return m_real->readRegularFile(path, maxBytes, followLinks);
}

CopiedFile FaultyFileOperations::cloneOrCopy(const std::filesystem::path& source, const std::filesystem::path& target,
                                             bool durable)
{
    enter(Op::cloneOrCopy, source);
    CopiedFile copied = m_real->cloneOrCopy(source, target, durable);
    bool corrupt = false;
    {
        std::lock_guard lock(m_mutex);
        corrupt = m_corruptNth != 0 && m_calls[Op::cloneOrCopy] == m_corruptNth;
    }
    if (corrupt) {
        std::fstream f(target, std::ios::in | std::ios::out | std::ios::binary);
        char c = 0;
        if (f.get(c)) {
            f.seekp(0);
            f.put(char(c ^ 0x01));
        } else {
            f.clear();
            f.put('x');
        }
    }
    return copied;
}

void FaultyFileOperations::swap(const std::filesystem::path& a, const std::filesystem::path& b)
{
    enter(Op::swap, b);
    m_real->swap(a, b);
}

void FaultyFileOperations::moveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    enter(Op::moveNoReplace, to);
    m_real->moveNoReplace(from, to);
}

void FaultyFileOperations::rename(const std::filesystem::path& from, const std::filesystem::path& to)
{
    enter(Op::rename, to);
    m_real->rename(from, to);
}

void FaultyFileOperations::removeFile(const std::filesystem::path& path)
{
    enter(Op::removeFile, path);
    m_real->removeFile(path);
}

void FaultyFileOperations::createDirectories(const std::filesystem::path& path, mode_t mode)
{
    enter(Op::createDirectories, path);
    m_real->createDirectories(path, mode);
}

void FaultyFileOperations::syncDirectory(const std::filesystem::path& path)
{
    enter(Op::syncDirectory, path);
    m_real->syncDirectory(path);
}

void FaultyFileOperations::hardLink(const std::filesystem::path& existing, const std::filesystem::path& link)
{
    enter(Op::hardLink, link);
    m_real->hardLink(existing, link);
}

void FaultyFileOperations::syncFileSystem(const std::filesystem::path& path)
{
    enter(Op::syncFileSystem, path);
    m_real->syncFileSystem(path);
}

void FaultyFileOperations::swapAt(const FolderItem& a, const FolderItem& b)
{
    enter(Op::swap, b.path);
    m_real->swapAt(a, b);
}

void FaultyFileOperations::moveNoReplaceAt(const FolderItem& from, const FolderItem& to)
{
    enter(Op::moveNoReplace, to.path);
    m_real->moveNoReplaceAt(from, to);
}

void FaultyFileOperations::hardLinkAt(const FolderItem& existing, const FolderItem& link)
{
    enter(Op::hardLink, link.path);
    m_real->hardLinkAt(existing, link);
}

void FaultyFileOperations::removeFileAt(const FolderItem& item)
{
    enter(Op::removeFile, item.path);
    m_real->removeFileAt(item);
}

std::filesystem::path leaveAtomicWriteTemporary(const std::filesystem::path& target)
{
    std::string pattern = atomicWriteTemporary::pattern(target);
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throwErrno("create", pattern);
    const char partial[] = "half";
    const bool written = ::write(fd, partial, sizeof partial - 1) == ssize_t(sizeof partial - 1);
    ::close(fd);
    if (!written)
        throwErrno("write", pattern);
    return pattern;
}

} // namespace orvane::test
