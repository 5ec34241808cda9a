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

// The folder a standardised path below a root lies in.
std::string_view folderOf(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
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

bool FolderDescriptorCache::isBelowRoot(std::string_view path) const
{
    const std::string_view root = m_root.native();
    const std::size_t prefix = root == "/" ? 1 : root.size() + 1;
    return path.size() > prefix && path.starts_with(root) && path[prefix - 1] == '/';
}

const FolderDescriptorCache::Entry& FolderDescriptorCache::entryFor(std::string_view folder)
{
    if (folder == m_root.native())
        return m_rootEntry;
    if (m_last && folder == m_lastFolder)
        return *m_last;
    if (const auto found = m_folders.find(folder); found != m_folders.end()) {
        m_lastFolder.assign(folder);
        m_last = &found->second;
        return found->second;
    }
    // The parent first: its descriptor is where this one is opened, and its failure is this one's.
    const Entry& parent = entryFor(folderOf(folder));
    Entry entry;
    if (!parent.fd) {
        entry.error = parent.error;
    } else {
        const std::string name(folder.substr(folder.rfind('/') + 1));
        entry.fd = FileDescriptor(openFolderIn(parent.fd.get(), name.c_str()));
        if (!entry.fd)
            entry.error = errno;
        else
            ++m_opened;
    }
    if (!entry.fd && entry.error != ELOOP) {
        m_missing = std::move(entry);
        return m_missing;
    }
    const Entry& kept = m_folders.emplace(std::string(folder), std::move(entry)).first->second;
    m_lastFolder.assign(folder);
    m_last = &kept;
    return kept;
}

FolderDescriptorCache::Entry FolderDescriptorCache::openFresh(const std::filesystem::path& relative) const
{
    Entry entry;
    if (!m_rootEntry.fd) {
        entry.error = m_rootEntry.error;
        return entry;
    }
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

FolderDescriptorCache::Reached FolderDescriptorCache::lookIn(const Entry& parent, std::string_view name) const
{
    Reached reached;
    if (!parent.fd) {
        reached.throughLink = parent.error == ELOOP;
        reached.error = parent.error;
        return reached;
    }
    const std::string leaf(name);
    if (::fstatat(parent.fd.get(), leaf.c_str(), &reached.item, AT_SYMLINK_NOFOLLOW) != 0)
        reached.error = errno;
    else
        reached.throughLink = S_ISLNK(reached.item.st_mode);
    return reached;
}

int FolderDescriptorCache::folder(const std::filesystem::path& folder)
{
    const std::filesystem::path standard = standardised(folder);
    if (standard != m_root && !isBelowRoot(standard.native())) {
        errno = EXDEV;
        return -1;
    }
    const Entry& entry = entryFor(standard.native());
    if (!entry.fd)
        errno = entry.error;
    return entry.fd.get();
}

bool FolderDescriptorCache::lookAt(const std::filesystem::path& path, struct stat& status)
{
    const Reached reached = reach(path);
    if (reached.error != 0) {
        errno = reached.error;
        return false;
    }
    status = reached.item;
    return true;
}

FolderDescriptorCache::Reached FolderDescriptorCache::reach(const std::filesystem::path& path)
{
    const std::filesystem::path standard = standardised(path);
    const std::string_view text = standard.native();
    if (!isBelowRoot(text))
        return Reached{true, EXDEV, {}};
    return lookIn(entryFor(folderOf(text)), text.substr(text.rfind('/') + 1));
}

FolderDescriptorCache::Reached FolderDescriptorCache::reachNow(const std::filesystem::path& path)
{
    const std::filesystem::path standard = standardised(path);
    const std::string_view text = standard.native();
    if (!isBelowRoot(text))
        return Reached{true, EXDEV, {}};
    const std::string_view folder = folderOf(text);
    const std::string_view name = text.substr(text.rfind('/') + 1);
    if (folder == m_root.native())
        return lookIn(m_rootEntry, name);
    const std::size_t below = m_root.native() == "/" ? 1 : m_root.native().size() + 1;
    return lookIn(openFresh(std::filesystem::path(folder.substr(below))), name);
}

} // namespace orvane
