#pragma once

#include "support/TempDir.h"

#include <QByteArray>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace orvane::test {

// What one file is: absent, or its bytes and permission bits (never following a link).
struct FileState {
    bool exists = false;
    QByteArray bytes;
    mode_t mode = 0;
    bool operator==(const FileState&) const = default;
};

inline FileState fileState(const std::filesystem::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return {};
    return {true, readFile(path), mode_t(st.st_mode & 07777)};
}

// Every entry below `root` (relative path → state), so a stray temporary or a new folder shows.
inline std::map<std::string, FileState> treeState(const std::filesystem::path& root)
{
    std::map<std::string, FileState> tree;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const auto relative = std::filesystem::relative(it->path(), root).native();
        tree[relative] = it->is_regular_file() ? fileState(it->path()) : FileState{true, {}, 0};
    }
    return tree;
}

inline void chmodFile(const std::filesystem::path& path, mode_t mode)
{
    ::chmod(path.c_str(), mode);
}

} // namespace orvane::test
