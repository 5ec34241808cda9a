#include "platform/FolderDescriptorCache.h"

#include "platform/PathText.h"

#include <cerrno>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace orvane {

namespace {

// Opens `name` in `parentFd` as a folder, never through a link; -1 with errno as
// FolderDescriptorCache::folder describes.
int openFolderIn(int parentFd, const char* name)
{
    const int fd = ::openat(parentFd, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0) {
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
            return fd;
        ::close(fd);
    }
    // Why it failed: a link, or something missing or not a folder.
    if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    errno = S_ISLNK(st.st_mode) ? ELOOP : ENOTDIR;
    return -1;
}

} // namespace

FolderDescriptorCache::FolderDescriptorCache(std::filesystem::path root) : m_root(standardised(root))
{
    m_rootEntry.fd = FileDescriptor(::open(m_root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!m_rootEntry.fd)
        m_rootEntry.error = errno;
    else
        ++m_opened;
}

const FolderDescriptorCache::Entry& FolderDescriptorCache::entryFor(const std::filesystem::path& standardFolder)
{
    if (standardFolder == m_root)
        return m_rootEntry;
    if (const auto found = m_folders.find(standardFolder.native()); found != m_folders.end())
        return found->second;
    // The parent first: its descriptor is where this one is opened, and its failure is this one's.
    const Entry& parent = entryFor(standardFolder.parent_path());
    Entry entry;
    if (!parent.fd) {
        entry.error = parent.error;
    } else {
        entry.fd = FileDescriptor(openFolderIn(parent.fd.get(), standardFolder.filename().c_str()));
        if (!entry.fd)
            entry.error = errno;
        else
            ++m_opened;
    }
    if (!entry.fd && entry.error != ELOOP) {
        m_missing = std::move(entry);
        return m_missing;
    }
    return m_folders.emplace(standardFolder.native(), std::move(entry)).first->second;
}

FolderDescriptorCache::Entry FolderDescriptorCache::openFresh(const std::filesystem::path& standardFolder) const
{
    Entry entry;
    if (!m_rootEntry.fd) {
        entry.error = m_rootEntry.error;
        return entry;
    }
    const std::filesystem::path relative = standardFolder.lexically_relative(m_root);
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS;
    const long fd = ::syscall(SYS_openat2, m_rootEntry.fd.get(), relative.c_str(), &how, sizeof how);
    if (fd >= 0) {
        entry.fd = FileDescriptor(int(fd));
        return entry;
    }
    if (errno != ENOSYS && errno != EPERM) {
        entry.error = errno;
        return entry;
    }
    // No openat2 here (an old kernel or a filter): one component at a time, none kept.
    FileDescriptor current;
    int parent = m_rootEntry.fd.get();
    for (const auto& part : relative) {
        FileDescriptor next(openFolderIn(parent, part.c_str()));
        if (!next) {
            entry.error = errno;
            return entry;
        }
        current = std::move(next);
        parent = current.get();
    }
    entry.fd = std::move(current);
    return entry;
}

int FolderDescriptorCache::folder(const std::filesystem::path& folder)
{
    const std::filesystem::path standard = standardised(folder);
    if (!isSameOrContained(standard, m_root)) {
        errno = EXDEV;
        return -1;
    }
    const Entry& entry = entryFor(standard);
    if (!entry.fd)
        errno = entry.error;
    return entry.fd.get();
}

bool FolderDescriptorCache::lookAt(const std::filesystem::path& path, struct stat& status)
{
    const std::filesystem::path standard = standardised(path);
    if (!isContained(standard, m_root)) {
        errno = EXDEV;
        return false;
    }
    const Entry& parent = entryFor(standard.parent_path());
    if (!parent.fd) {
        errno = parent.error;
        return false;
    }
    return ::fstatat(parent.fd.get(), standard.filename().c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

bool FolderDescriptorCache::reachesThroughLinkNow(const std::filesystem::path& path)
{
    const std::filesystem::path standard = standardised(path);
    if (!isContained(standard, m_root))
        return true;
    const std::filesystem::path parentPath = standard.parent_path();
    Entry fresh;
    int parent = m_rootEntry.fd.get();
    if (parentPath != m_root) {
        fresh = openFresh(parentPath);
        if (!fresh.fd)
            return fresh.error == ELOOP;
        parent = fresh.fd.get();
    } else if (parent < 0) {
        return false;
    }
    struct stat st {};
    return ::fstatat(parent, standard.filename().c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

bool FolderDescriptorCache::reachesThroughLink(const std::filesystem::path& path)
{
    const std::filesystem::path standard = standardised(path);
    if (!isContained(standard, m_root))
        return true;
    struct stat st {};
    if (lookAt(standard, st))
        return S_ISLNK(st.st_mode);
    return errno == ELOOP;
}

} // namespace orvane
