#pragma once

#include "platform/FileOperations.h"
#include "platform/ProcessTable.h"

namespace orvane {

// ProcessTable from `root`/proc ("/" for the real system; tests hand in a folder holding a fixture
// proc/<pid>/{exe,comm,cmdline} tree). Reads are bounded and never hang on a FIFO.
class LinuxProcessTable final : public ProcessTable {
public:
    explicit LinuxProcessTable(std::filesystem::path root = "/",
                               std::shared_ptr<FileOperations> files = FileOperations::system());

    std::vector<std::int32_t> processIDs() override;
    std::optional<QString> name(std::int32_t pid) override;
    std::optional<std::filesystem::path> executablePath(std::int32_t pid) override;
    std::optional<QString> commandLine(std::int32_t pid) override;

private:
    std::filesystem::path processFolder(std::int32_t pid) const;

    std::filesystem::path m_proc;
    std::shared_ptr<FileOperations> m_files;
};

} // namespace orvane
