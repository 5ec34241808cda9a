#pragma once

#include <QByteArray>
#include <QString>

#include <fcntl.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace orvane {

// What a copy produced, measured from the very descriptor the bytes were copied from.
struct CopiedFile {
    std::uint64_t byteCount = 0;
    QString sha256;
    bool operator==(const CopiedFile&) const = default;
};

// An item named by the folder it lies in, open as a descriptor, and its own name there: a folder
// checked once and then acted through, so that one swapped for a link since is never followed.
// With `folder` AT_FDCWD, `name` may be a whole path (for the restore's own private folders).
struct FolderItem {
    int folder = AT_FDCWD;
    std::filesystem::path name;
    std::filesystem::path path; // the item's whole path, for errors and fault injection
};

// Files to remove from one folder: their own names there. The folder is `root` (taken as given) or
// lies below it, and is opened from it without following any link.
struct FolderFiles {
    std::filesystem::path root;
    std::filesystem::path folder;
    std::vector<std::filesystem::path> names;
};

// Every file operation of the core that writes, moves or reads whole files goes through here,
// so that tests can put a fault-injecting double in its place. Failures throw std::system_error
// ("<operation> <path>: <reason>"); nothing is ever left half-written at a final path.
class FileOperations {
public:
    virtual ~FileOperations() = default;

    // Writes `bytes` to a 0600 temporary file in the same folder, syncs it, gives it `mode`,
    // renames it over `path` and syncs the folder. The temporary file is removed on failure.
    virtual void writeAtomically(const std::filesystem::path& path, const QByteArray& bytes, mode_t mode = 0644) = 0;

    // The whole content of a regular file of at most `maxBytes`. Links are followed only when
    // `followLinks`. A FIFO, device, folder or larger file is refused (never a hang or a huge read).
    virtual QByteArray readRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes,
                                       bool followLinks = true) = 0;

    // Copies the regular file `source` (never through a link) to the new file `target`
    // (created exclusively, never through a link), cloning the extents where the file system can.
    // The size and digest come from the descriptor that was copied; the target keeps the source's
    // permissions and modification time. `durable` syncs the target;
    // otherwise its writing out is started and not waited for.
    virtual CopiedFile cloneOrCopy(const std::filesystem::path& source, const std::filesystem::path& target,
                                   bool durable = false) = 0;

    // Exchanges two existing paths atomically.
    virtual void swap(const std::filesystem::path& a, const std::filesystem::path& b) = 0;
    // Renames `from` to `to`, failing (EEXIST) when `to` exists.
    virtual void moveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Renames `from` over `to`.
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Removes one file or link (never a folder's content).
    virtual void removeFile(const std::filesystem::path& path) = 0;
    // Creates `path` and its missing parents with `mode`.
    virtual void createDirectories(const std::filesystem::path& path, mode_t mode = 0755) = 0;
    // Flushes a folder's entries to disk.
    virtual void syncDirectory(const std::filesystem::path& path) = 0;
    // Gives the file `existing` the second name `link` (never replacing an item there). Fails with
    // EXDEV when the two lie on different file systems or mounts.
    virtual void hardLink(const std::filesystem::path& existing, const std::filesystem::path& link);
    // Flushes the data and entries of the whole file system that holds `path` to disk.
    virtual void syncFileSystem(const std::filesystem::path& path);

    // The same changes acted through folder descriptors (renameat2, linkat, unlinkat): never by path
    // again, so each lands in the folder that was checked whatever has been renamed or linked since.
    // Pure on purpose: a fall-back by the items' paths would let a double that forgot one silently act
    // by path instead of through the checked folder.
    virtual void swapAt(const FolderItem& a, const FolderItem& b) = 0;
    virtual void moveNoReplaceAt(const FolderItem& from, const FolderItem& to) = 0;
    virtual void hardLinkAt(const FolderItem& existing, const FolderItem& link) = 0;
    virtual void removeFileAt(const FolderItem& item) = 0;

    // Removes the named files of each of the caller's own folders, each opened below its root without
    // following a link, quietly: a file that cannot be removed, or whose folder cannot be opened so,
    // stays for a later clean-up. The default goes one file at a time
    // through removeFileAt; the system's implementation spreads a long list over a few threads, since
    // freeing many files' space costs a journaled file system far more than finding them.
    virtual void removeFilesQuietly(const std::vector<FolderFiles>& files);

    // The bytes an unprivileged writer may still use on the file system that holds the existing
    // `path`; nothing when the file system cannot tell.
    virtual std::optional<std::uint64_t> availableBytes(const std::filesystem::path& path);

    // The process-wide real implementation.
    static std::shared_ptr<FileOperations> system();
};

// Probe form of readRegularFile: nothing when the file is missing, special, too large or unreadable.
std::optional<QByteArray> readFileIfPossible(FileOperations& files, const std::filesystem::path& path,
                                             std::uint64_t maxBytes, bool followLinks = true);

} // namespace orvane
