#pragma once

#include "platform/FileOperations.h"
#include "records/LaunchReceipt.h"

#include <filesystem>
#include <memory>
#include <optional>

namespace orvane {

// A receipt read from disk and the file it came from.
struct StoredLaunchReceipt {
    LaunchReceipt receipt;
    std::filesystem::path url;
    bool operator==(const StoredLaunchReceipt&) const = default;
};

// Reads the receipts of one folder.
class LaunchReceiptStore final {
public:
    explicit LaunchReceiptStore(std::filesystem::path directory,
                                std::shared_ptr<FileOperations> fileOperations = FileOperations::system());

    const std::filesystem::path& directory() const { return m_directory; }
    const std::shared_ptr<FileOperations>& fileOperations() const { return m_files; }
    void setFileOperations(std::shared_ptr<FileOperations> files) { m_files = std::move(files); }

    // The newest receipt: the latest observedAt, and of equal ones the file name that sorts last.
    // Hidden files, other extensions and files that cannot be read or decoded are passed over; a
    // folder that cannot be listed has none. Never throws.
    std::optional<StoredLaunchReceipt> latest() const;

private:
    std::filesystem::path m_directory;
    std::shared_ptr<FileOperations> m_files;
};

} // namespace orvane
