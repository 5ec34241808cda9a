#pragma once

#include "json/JsonReader.h"
#include "model/BackupManifest.h"
#include "support/TempDir.h"

#include <QByteArray>

#include <filesystem>
#include <string>
#include <vector>

namespace orvane::test {

// A small home with a Technic data folder, a Tekkit 2 instance in it and the application's backups folder.
struct BackupLayout {
    TempDir home;
    std::filesystem::path technicRoot = home / "Library/Application Support/technic";
    std::filesystem::path instance = technicRoot / "modpacks/tekkit-2";
    std::filesystem::path backups = home / "Library/Application Support/orvane/backups";
    std::filesystem::path saves = instance / "saves";
    std::filesystem::path worldStore = backups / "saves";
};

// The entries of a folder (none when it does not exist).
inline std::vector<std::filesystem::path> entriesOf(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec))
        out.push_back(it->path());
    return out;
}

// The entries of `folder` whose names begin with `prefix`.
inline std::vector<std::filesystem::path> entriesNamed(const std::filesystem::path& folder, const std::string& prefix)
{
    std::vector<std::filesystem::path> found;
    for (const auto& entry : entriesOf(folder)) {
        if (entry.filename().native().rfind(prefix, 0) == 0)
            found.push_back(entry);
    }
    return found;
}

inline BackupManifest readManifest(const std::filesystem::path& snapshot)
{
    return fromJson<BackupManifest>(JsonReader::parse(readFile(snapshot / "manifest.json"), "manifest").object());
}

// A file of `size` bytes that takes no space.
inline void writeSparse(const std::filesystem::path& path, std::uintmax_t size)
{
    writeFile(path, QByteArray());
    std::filesystem::resize_file(path, size);
}

} // namespace orvane::test
