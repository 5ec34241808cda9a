#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvane::test {

// Builds a fake process table under `root`/proc, in the shape LinuxProcessTable reads:
// proc/<pid>/exe (a link to the executable's path, which need not exist), comm and cmdline.
class ProcFixture final {
public:
    explicit ProcFixture(std::filesystem::path root);

    // A process running `executable` with `arguments` (the first one is the program as started).
    // Its command name is the executable's base name cut to 15 bytes, as the kernel keeps it,
    // unless `comm` is given.
    void addProcess(std::int32_t pid, const std::filesystem::path& executable, const std::vector<std::string>& arguments,
                    const std::optional<std::string>& comm = std::nullopt);
    // A process whose executable cannot be read (a kernel thread, another user's process): only its
    // command name and an empty command line.
    void addUnreadableProcess(std::int32_t pid, const std::string& comm);
    // A process that ended between listing and lookup: its folder is listed but holds nothing.
    void addVanishedProcess(std::int32_t pid);
    // Ends a process: its folder goes.
    void removeProcess(std::int32_t pid);

    const std::filesystem::path& root() const { return m_root; }
    std::filesystem::path folder(std::int32_t pid) const;

private:
    std::filesystem::path m_root;
};

} // namespace orvane::test
