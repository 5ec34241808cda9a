#pragma once

#include <QString>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace orvane {

// The live process table. Every call looks afresh; nothing is cached. A process that ends between
// listing and lookup simply has no answers (nothing is thrown).
class ProcessTable {
public:
    virtual ~ProcessTable() = default;

    // Every process id, ascending, without any cap on their number.
    virtual std::vector<std::int32_t> processIDs() = 0;

    // The program name: the base name of the running executable (full length, unlike the kernel's
    // 15-byte command name, which is used only when the executable cannot be read). Absent when the
    // process is gone.
    virtual std::optional<QString> name(std::int32_t pid) = 0;

    // The full path of the running executable; absent when it cannot be read or the process is gone.
    virtual std::optional<std::filesystem::path> executablePath(std::int32_t pid) = 0;

    // The command line, its arguments joined by single spaces (as ps prints it), invalid UTF-8
    // replaced; empty for kernel threads and ended processes not yet reaped. Absent when the process
    // is gone or its command line cannot be read.
    virtual std::optional<QString> commandLine(std::int32_t pid) = 0;

    // The process-wide real implementation.
    static std::shared_ptr<ProcessTable> system();
};

} // namespace orvane
