#pragma once

#include <QByteArray>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

// Where a folder lies in the file system that holds it, rather than where a path shows it: a bind
// mount shows one folder at a second path, so two paths may be one folder, and a path inside a
// root may lead to a folder outside it.
struct FileSystemLocation {
    QByteArray device; // "major:minor" of the file system
    std::string path;  // from that file system's own root, "/" first

    bool operator==(const FileSystemLocation&) const = default;
};

// The mounts the process sees (/proc/self/mountinfo), read once and then only looked up.
class MountTable final {
public:
    // Refuses with OrvaneError::policyDenied("Install root could not be inspected.") when the
    // table cannot be read or holds no mount.
    static MountTable read();
    // The table of mountinfo text; lines it cannot read are skipped.
    static MountTable parse(const QByteArray& mountinfo);

    // The location of an existing path without links. Found by its mount id (statx) when the system
    // reports one, else by the deepest mount point that holds the path, the last mounted winning.
    FileSystemLocation locate(const std::filesystem::path& path) const;
    // The same for a path whose mount id, if any, is given.
    FileSystemLocation locate(const std::string& path, std::optional<std::uint64_t> mountID) const;

    bool isEmpty() const { return m_mounts.empty(); }

private:
    struct Mount {
        std::uint64_t id = 0;
        QByteArray device;
        std::string root;       // the mounted folder, from its file system's root
        std::string mountPoint; // where it is shown
    };

    std::vector<Mount> m_mounts; // in the table's order: later mounts cover earlier ones
};

} // namespace orvane
