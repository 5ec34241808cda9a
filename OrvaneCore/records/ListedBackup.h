#pragma once

#include "model/BackupManifest.h"

#include <filesystem>

namespace orvane {

// One backup found in a store: its manifest as decoded from disk and its snapshot folder.
struct ListedBackup {
    BackupManifest manifest;
    std::filesystem::path directory; // <root>/<entry>, as listed (not standardised)

    bool operator==(const ListedBackup&) const = default;
};

} // namespace orvane
