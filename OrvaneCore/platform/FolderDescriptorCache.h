#pragma once

#include "platform/FileDescriptor.h"

#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace orvane {

// Descriptors (O_PATH) of the folders below one root, each opened from the root (or a kept folder
// above it) without following a symbolic link. Only the folders used last are kept, never more than
// `capacity`, whatever the tree holds: files come folder by folder, so each folder is still checked
// once for all its files. The root itself is taken as given (it may be reached through links).
// Paths are standardised; nothing is resolved lexically past a link. Not thread-safe; meant to live
// for one operation.
//
// Every failure is an errno: ELOOP when a component below the root is a link, ENOENT or ENOTDIR when
// one is missing or not a folder, EXDEV when a path is not below the root, and anything else as the
// kernel gave it (EMFILE or ENFILE when the process or system ran out of descriptors, EACCES…).
class FolderDescriptorCache final {
public:
    static constexpr std::size_t kDefaultCapacity = 16;

    explicit FolderDescriptorCache(std::filesystem::path root, std::size_t capacity = kDefaultCapacity);
    FolderDescriptorCache(const FolderDescriptorCache&) = delete;
    FolderDescriptorCache& operator=(const FolderDescriptorCache&) = delete;

    const std::filesystem::path& root() const { return m_root; }

    // A folder opened without following a link: its descriptor, or the errno of the failure.
    struct Folder {
        FileDescriptor fd;
        int error = 0; // when fd is not open
    };

    // What a look at one item found: the lstat of the item, or the errno of the look.
    struct Look {
        bool throughLink = false; // the item, or a component on the way to it, is a link or not below the root
        int error = 0;            // 0, ENOENT or ENOTDIR for nothing there, or a failure as above
        struct stat item {};      // when error is 0
    };

    // Looks at `path` (strictly below the root) through its folder's kept descriptor: a folder swapped
    // for a link after it was kept is not seen, yet nothing found through it lies outside the root.
    Look look(const std::filesystem::path& path) { return look(std::string_view(path.native())); }
    // The same for a path's text, which then need not be made into a path.
    Look look(std::string_view path);

    // Looks at `path` through its folder opened afresh now: for a check right before a change, where a
    // folder swapped for a link since it was kept must be seen.
    Look lookNow(const std::filesystem::path& path);

    // `folder` (the root or a folder below it) opened afresh now, for the caller to keep and act
    // through: whatever is swapped for a link later, the descriptor stays the folder that was checked.
    Folder openNow(const std::filesystem::path& folder) const;

    // The kept descriptor of `folder` (the root or a folder below it), valid until the next call on
    // this cache; -1 with errno set on failure.
    int kept(const std::filesystem::path& folder) { return kept(std::string_view(folder.native())); }
    int kept(std::string_view folder);

    // The lstat of `name` in the open folder `folder` (the folder's failure when it is not open).
    static Look lookIn(const Folder& folder, std::string_view name);

    // Folders opened so far (the root included): for tests and benchmarks.
    std::size_t openedFolders() const { return m_opened; }

private:
    struct Entry {
        std::string path; // standardised
        Folder folder;
    };
    // Lets the map be searched by a part of a path without copying it.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    using Entries = std::list<Entry>;

    // These take standardised paths.
    bool isBelowRoot(std::string_view path) const;
    const Folder& keptFolder(std::string_view folder);
    // Opens `folder` below `from` (a folder at `fromPath`), walking the rest without links.
    Folder openBelow(const Folder& from, std::string_view fromPath, std::string_view folder) const;

    std::filesystem::path m_root;
    Folder m_rootFolder;
    std::size_t m_capacity;
    // Most recently used first. Folders opened and links found; a folder found missing is not kept:
    // it may be made (or a link planted there) before the next look.
    Entries m_entries;
    std::unordered_map<std::string_view, Entries::iterator, TextHash, std::equal_to<>> m_index; // keys in m_entries
    std::size_t m_opened = 0;
    Folder m_unkept; // the last folder that could not be opened, answered once and not kept
};

} // namespace orvane
