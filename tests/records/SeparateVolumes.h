#pragma once

#include "platform/FileOperations.h"
#include "platform/PathText.h"

#include <cerrno>
#include <memory>
#include <system_error>
#include <vector>

namespace orvane::test {

// Real file operations on a machine where the folders below `volumes` are other file systems (or other
// mounts of the same one, which look alike to stat): a rename or link between two volumes fails with
// EXDEV, as the kernel's does.
struct SeparateVolumes final : FileOperations {
    std::shared_ptr<FileOperations> real = FileOperations::system();
    std::vector<std::filesystem::path> volumes;
    int refused = 0;

    explicit SeparateVolumes(std::vector<std::filesystem::path> roots) : volumes(std::move(roots)) {}

    int volumeOf(const std::filesystem::path& path) const
    {
        int found = -1;
        std::size_t longest = 0;
        for (std::size_t i = 0; i < volumes.size(); ++i) {
            if ((path == volumes[i] || isContained(path, volumes[i])) && volumes[i].native().size() > longest) {
                found = int(i);
                longest = volumes[i].native().size();
            }
        }
        return found;
    }
    void sameVolume(const std::filesystem::path& a, const std::filesystem::path& b)
    {
        if (volumeOf(a) != volumeOf(b)) {
            ++refused;
            throw std::system_error(EXDEV, std::generic_category(), "rename " + b.native());
        }
    }

    void writeAtomically(const std::filesystem::path& p, const QByteArray& b, mode_t m) override
    {
        real->writeAtomically(p, b, m);
    }
    QByteArray readRegularFile(const std::filesystem::path& p, std::uint64_t max, bool follow) override
    {
        return real->readRegularFile(p, max, follow);
    }
    CopiedFile cloneOrCopy(const std::filesystem::path& s, const std::filesystem::path& t, bool durable) override
    {
        return real->cloneOrCopy(s, t, durable);
    }
    void swap(const std::filesystem::path& a, const std::filesystem::path& b) override
    {
        sameVolume(a, b);
        real->swap(a, b);
    }
    void moveNoReplace(const std::filesystem::path& f, const std::filesystem::path& t) override
    {
        sameVolume(f, t);
        real->moveNoReplace(f, t);
    }
    void rename(const std::filesystem::path& f, const std::filesystem::path& t) override
    {
        sameVolume(f, t);
        real->rename(f, t);
    }
    void hardLink(const std::filesystem::path& e, const std::filesystem::path& l) override
    {
        sameVolume(e, l);
        real->hardLink(e, l);
    }
    void removeFile(const std::filesystem::path& p) override { real->removeFile(p); }
    void createDirectories(const std::filesystem::path& p, mode_t m) override { real->createDirectories(p, m); }
    void syncDirectory(const std::filesystem::path& p) override { real->syncDirectory(p); }
    void syncFileSystem(const std::filesystem::path& p) override { real->syncFileSystem(p); }
    // The volumes are judged by the items' paths, as above; the real change goes through the descriptors.
    void swapAt(const FolderItem& a, const FolderItem& b) override
    {
        sameVolume(a.path, b.path);
        real->swapAt(a, b);
    }
    void moveNoReplaceAt(const FolderItem& f, const FolderItem& t) override
    {
        sameVolume(f.path, t.path);
        real->moveNoReplaceAt(f, t);
    }
    void hardLinkAt(const FolderItem& e, const FolderItem& l) override
    {
        sameVolume(e.path, l.path);
        real->hardLinkAt(e, l);
    }
    void removeFileAt(const FolderItem& i) override { real->removeFileAt(i); }
};

} // namespace orvane::test
