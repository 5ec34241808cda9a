#include "platform/FolderDescriptorCache.h"

#include "platform/PathText.h"

#include <cerrno>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace orvane {

namespace {

// Opens `name` in `parentFd` as a folder, never through a link; -1 with errno as the class describes.
int openFolderIn(int parentFd, const char* name)
{
    // O_PATH with O_NOFOLLOW opens a link itself unless O_DIRECTORY refuses it (ENOTDIR): a failure
    // for that reason, or a descriptor of something else, is told apart by a look at the name.
    const int fd = ::openat(parentFd, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0) {
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
            return fd;
        ::close(fd);
    } else if (errno != ENOTDIR) {
        return -1; // missing, or a failure of this process (out of descriptors…) that says nothing of the tree
    }
    if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    errno = S_ISLNK(st.st_mode) ? ELOOP : ENOTDIR;
    return -1;
}

// The standardised text of `path`: its own when it is already standardised (the usual case, which
// then costs no copy), else that of `spare`, made from it.
std::string_view standardText(std::string_view path, std::filesystem::path& spare)
{
    if (isStandardised(path))
        return path;
    spare = standardised(std::filesystem::path(path));
    return spare.native();
}

std::string_view standardText(const std::filesystem::path& path, std::filesystem::path& spare)
{
    return standardText(std::string_view(path.native()), spare);
}

} // namespace

FolderDescriptorCache::FolderDescriptorCache(std::filesystem::path root, std::size_t capacity)
    : m_root(standardised(root)), m_capacity(capacity == 0 ? 1 : capacity)
{
    m_rootFolder.fd = FileDescriptor(::open(m_root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!m_rootFolder.fd)
        m_rootFolder.error = errno;
    else
        ++m_opened;
}

bool FolderDescriptorCache::isBelowRoot(std::string_view path) const
{
    const std::string_view root = m_root.native();
    const std::size_t prefix = root == "/" ? 1 : root.size() + 1;
    return path.size() > prefix && path.starts_with(root) && path[prefix - 1] == '/';
}

FolderDescriptorCache::Folder FolderDescriptorCache::openBelow(const Folder& from, std::string_view fromPath,
                                                               std::string_view folder) const
{
    Folder opened;
    if (!from.fd) {
        opened.error = from.error;
        return opened;
    }
    const std::size_t skip = fromPath == "/" ? 1 : fromPath.size() + 1;
    const std::string relative(folder.substr(skip));
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS;
    const long fd = ::syscall(SYS_openat2, from.fd.get(), relative.c_str(), &how, sizeof how);
    if (fd >= 0) {
        opened.fd = FileDescriptor(int(fd));
        return opened;
    }
    if (errno != ENOSYS && errno != EPERM) {
        opened.error = errno;
        return opened;
    }
    // No openat2 here (an old kernel or a filter): one component at a time, two descriptors at most.
    FileDescriptor current;
    int parent = from.fd.get();
    for (const auto& part : std::filesystem::path(relative)) {
        FileDescriptor next(openFolderIn(parent, part.c_str()));
        if (!next) {
            opened.error = errno;
            return opened;
        }
        current = std::move(next);
        parent = current.get();
    }
    opened.fd = std::move(current);
    return opened;
}

const FolderDescriptorCache::Folder& FolderDescriptorCache::keptFolder(std::string_view folder)
{
    if (folder == m_root.native())
        return m_rootFolder;
    if (const auto found = m_index.find(folder); found != m_index.end()) {
        m_entries.splice(m_entries.begin(), m_entries, found->second);
        return found->second->folder;
    }
    // Opened from the nearest folder above it that is kept, else from the root.
    std::string_view above = folderText(folder);
    const Folder* from = &m_rootFolder;
    while (above != m_root.native() && above.size() > m_root.native().size()) {
        if (const auto found = m_index.find(above); found != m_index.end()) {
            from = &found->second->folder;
            break;
        }
        above = folderText(above);
    }
    if (from == &m_rootFolder)
        above = m_root.native();
    Folder opened = openBelow(*from, above, folder);
    if (opened.fd)
        ++m_opened;
    if (!opened.fd && opened.error != ELOOP) {
        m_unkept = std::move(opened);
        return m_unkept;
    }
    if (m_entries.size() >= m_capacity) {
        m_index.erase(m_entries.back().path);
        m_entries.pop_back(); // closes its descriptor
    }
    m_entries.push_front(Entry{std::string(folder), std::move(opened)});
    m_index.emplace(m_entries.front().path, m_entries.begin());
    return m_entries.front().folder;
}

FolderDescriptorCache::Look FolderDescriptorCache::lookIn(const Folder& folder, std::string_view name)
{
    Look look;
    if (!folder.fd) {
        look.throughLink = folder.error == ELOOP || folder.error == EXDEV;
        look.error = folder.error;
        return look;
    }
    const std::string leaf(name);
    if (::fstatat(folder.fd.get(), leaf.c_str(), &look.item, AT_SYMLINK_NOFOLLOW) != 0)
        look.error = errno;
    else
        look.throughLink = S_ISLNK(look.item.st_mode);
    return look;
}

FolderDescriptorCache::Look FolderDescriptorCache::look(std::string_view path)
{
    std::filesystem::path spare;
    const std::string_view text = standardText(path, spare);
    if (!isBelowRoot(text))
        return Look{true, EXDEV, {}};
    return lookIn(keptFolder(folderText(text)), nameText(text));
}

FolderDescriptorCache::Look FolderDescriptorCache::lookNow(const std::filesystem::path& path)
{
    std::filesystem::path spare;
    const std::string_view text = standardText(path, spare);
    if (!isBelowRoot(text))
        return Look{true, EXDEV, {}};
    const std::string_view folder = folderText(text);
    if (folder == m_root.native())
        return lookIn(m_rootFolder, nameText(text));
    return lookIn(openBelow(m_rootFolder, m_root.native(), folder), nameText(text));
}

FolderDescriptorCache::Folder FolderDescriptorCache::openNow(const std::filesystem::path& folder) const
{
    std::filesystem::path spare;
    const std::string_view text = standardText(folder, spare);
    Folder opened;
    if (text == m_root.native()) {
        if (!m_rootFolder.fd) {
            opened.error = m_rootFolder.error;
            return opened;
        }
        opened.fd = FileDescriptor(::fcntl(m_rootFolder.fd.get(), F_DUPFD_CLOEXEC, 0));
        if (!opened.fd)
            opened.error = errno;
        return opened;
    }
    if (!isBelowRoot(text)) {
        opened.error = EXDEV;
        return opened;
    }
    return openBelow(m_rootFolder, m_root.native(), text);
}

int FolderDescriptorCache::kept(std::string_view folder)
{
    std::filesystem::path spare;
    const std::string_view text = standardText(folder, spare);
    if (text != m_root.native() && !isBelowRoot(text)) {
        errno = EXDEV;
        return -1;
    }
    const Folder& found = keptFolder(text);
    if (!found.fd)
        errno = found.error;
    return found.fd.get();
}

} // namespace orvane
