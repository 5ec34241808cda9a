#pragma once

#include "platform/FileOperations.h"

namespace orvane {

// FileOperations on Linux system calls.
class PosixFileOperations final : public FileOperations {
public:
    void writeAtomically(const std::filesystem::path& path, const QByteArray& bytes, mode_t mode) override;
    QByteArray readRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes, bool followLinks) override;
    CopiedFile cloneOrCopy(const std::filesystem::path& source, const std::filesystem::path& target,
                           bool durable) override;
    void swap(const std::filesystem::path& a, const std::filesystem::path& b) override;
    void moveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void removeFile(const std::filesystem::path& path) override;
    void createDirectories(const std::filesystem::path& path, mode_t mode) override;
    void syncDirectory(const std::filesystem::path& path) override;
    void swapAt(const FolderItem& a, const FolderItem& b) override;
    void moveNoReplaceAt(const FolderItem& from, const FolderItem& to) override;
    void hardLinkAt(const FolderItem& existing, const FolderItem& link) override;
    void removeFileAt(const FolderItem& item) override;
    void removeFilesQuietly(const std::vector<FolderFiles>& files) override;
};

} // namespace orvane
