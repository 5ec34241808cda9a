#pragma once

#include "platform/FileDescriptor.h"

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orvane {

// Descriptors of the folders below one root, each reached from the root one component at a time
// without following a symbolic link, and kept: every file of a folder shares that folder's one
// check, instead of a look at each component of each file's path. The root itself is taken as
// given (it may be reached through links). Paths are standardised; nothing is resolved lexically
// past a link. Not thread-safe; meant to live for one operation.
class FolderDescriptorCache final {
public:
    explicit FolderDescriptorCache(std::filesystem::path root);
    FolderDescriptorCache(const FolderDescriptorCache&) = delete;
    FolderDescriptorCache& operator=(const FolderDescriptorCache&) = delete;

    const std::filesystem::path& root() const { return m_root; }

    // What one look at a path found: whether it is reached through a link, and the lstat of the item
    // there, or the errno of that look (ENOENT or ENOTDIR where nothing is there).
    struct Reached {
        bool throughLink = false;
        int error = 0;
        struct stat item {}; // when error is 0 and not throughLink
    };

    // True when `path` is not strictly below the root, or any of its components below the root is a
    // symbolic link. A component that does not exist, or is not a folder, ends the walk: no link.
    bool reachesThroughLink(const std::filesystem::path& path) { return reach(path).throughLink; }
    // The same look, with what it found at the end.
    Reached reach(const std::filesystem::path& path);

    // The same look, but walked again now from the root whatever was kept: for a check right before
    // a change, where a folder swapped for a link since it was kept must be seen. One walk by the
    // kernel per call (openat2 without links), not one look per component.
    Reached reachNow(const std::filesystem::path& path);

    // The kept descriptor (O_PATH) of `folder` (the root or a folder below it), or -1 with errno:
    // ELOOP when a component is a link, ENOENT or ENOTDIR when one is missing or not a folder,
    // EXDEV when `folder` is not the root or below it.
    int folder(const std::filesystem::path& folder);

    // lstat of `path` (strictly below the root) through its folder's descriptor; false with errno set
    // when it cannot be looked at, as above.
    bool lookAt(const std::filesystem::path& path, struct stat& status);

    // Folders opened so far (the root included), for tests and benchmarks.
    std::size_t openedFolders() const { return m_opened; }

private:
    struct Entry {
        FileDescriptor fd;
        int error = 0; // when fd is not open
    };
    // Lets the map be searched by a part of a path without copying it.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };

    // These two take standardised paths.
    bool isBelowRoot(std::string_view path) const;
    const Entry& entryFor(std::string_view folder);
    Entry openFresh(const std::filesystem::path& relative) const; // a folder's path from the root
    Reached lookIn(const Entry& parent, std::string_view name) const;

    std::filesystem::path m_root;
    Entry m_rootEntry;
    // By standardised path: opened folders and links. A folder found missing is not kept: it may be
    // made (or a link planted there) before the next look.
    std::unordered_map<std::string, Entry, TextHash, std::equal_to<>> m_folders;
    std::size_t m_opened = 0;
    Entry m_missing; // the last folder found missing, answered once and not kept
    // The folder asked for last: files come folder by folder. Map entries never move.
    std::string m_lastFolder;
    const Entry* m_last = nullptr;
};

} // namespace orvane
