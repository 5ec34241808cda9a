#pragma once

#include "platform/FileOperations.h"
#include "platform/FolderDescriptorCache.h"
#include "records/FileEvidence.h"

#include <QString>

#include <filesystem>
#include <optional>

namespace orvane {

// A folder opened without following a link right before the changes made in it: every look, read,
// swap, move, link and removal names its item by this descriptor and the item's own name, so a folder
// swapped for a link after the check can never be followed.
class CheckedFolder final {
public:
    // `folder` (the root of `folders` or below it) opened afresh now. A link on the way throws
    // OrvaneError::backupCorrupt(linkText); running out of descriptors, outOfOpenFiles; any other
    // failure std::system_error.
    static CheckedFolder open(const FolderDescriptorCache& folders, const std::filesystem::path& folder,
                              const QString& linkText);
    // The same, or nothing when the folder (or one above it) is missing or not a folder.
    static std::optional<CheckedFolder> openIfPresent(const FolderDescriptorCache& folders,
                                                      const std::filesystem::path& folder, const QString& linkText);
    // One of the restore's own folders (a stage or undo area), opened by its path; never a final link.
    static CheckedFolder openOwn(const std::filesystem::path& folder);

    const std::filesystem::path& path() const { return m_path; }
    int fd() const { return m_folder.fd.get(); }

    // `name` (one component) in this folder, for FileOperations.
    FolderItem item(const std::filesystem::path& name) const;
    // The item at `path`, which lies directly in this folder.
    FolderItem itemAt(const std::filesystem::path& path) const { return item(path.filename()); }

    // The lstat of `name`: its errno is 0, or ENOENT or ENOTDIR when nothing is there.
    FolderDescriptorCache::Look look(const std::filesystem::path& name) const;
    std::optional<FileStamp> stamp(const std::filesystem::path& name) const;
    // The digest and size of the regular file `name`; nothing when it is missing, a link, special or
    // unreadable. Out of descriptors throws outOfOpenFiles.
    std::optional<CopiedFile> measure(const std::filesystem::path& name) const;
    bool holds(const std::filesystem::path& name, const QString& sha256, std::int64_t byteCount) const;
    // measure(), and the stamp of the file read, which did not change while it was read.
    std::optional<SteadyMeasurement> measureSteadily(const std::filesystem::path& name) const;

    // Removes `name` when it is still there; a failure leaves it and is not reported.
    void removeQuietly(FileOperations& files, const std::filesystem::path& name) const;

private:
    CheckedFolder(std::filesystem::path path, FolderDescriptorCache::Folder folder)
        : m_path(std::move(path)), m_folder(std::move(folder))
    {
    }

    std::filesystem::path m_path;
    FolderDescriptorCache::Folder m_folder;
};

// The same steady measurement of `name` in the open folder `folder` (a kept descriptor), `path` naming it.
std::optional<SteadyMeasurement> measureSteadilyIn(int folder, const std::filesystem::path& name,
                                                   const std::filesystem::path& path);

} // namespace orvane
