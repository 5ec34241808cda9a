#pragma once

#include "platform/FileOperations.h"
#include "platform/SystemFacts.h"

namespace orvane {

// SystemFacts from sysinfo(2), uname(2), statvfs(3) and files under `root` ("/" for the real system;
// tests hand in a folder holding proc/, sys/ and etc/). Reads are bounded and never hang on a FIFO.
class LinuxSystemFacts final : public SystemFacts {
public:
    explicit LinuxSystemFacts(std::filesystem::path root = "/",
                              std::shared_ptr<FileOperations> files = FileOperations::system());

    std::uint64_t physicalMemoryBytes() override;
    QString sysctlString(const QString& name) override;
    QString architecture() override;
    bool processTranslated() override;
    std::uint64_t volumeAvailableBytes(const std::filesystem::path& folder) override;
    QString osVersion() override;

private:
    std::optional<QByteArray> read(const std::filesystem::path& relative) const;
    QString processorBrand() const;
    QString hardwareModel() const;
    QString kernelSetting(const QString& name) const;

    std::filesystem::path m_root;
    std::shared_ptr<FileOperations> m_files;
};

} // namespace orvane
