#pragma once

#include "model/BackupManifest.h"

#include <QString>

#include <optional>

namespace orvane {

// The outcome of a world backup.
struct WorldBackupResult {
    BackupManifest manifest;
    // One sentence for the status when an interrupted restore was finished (or undone) first.
    std::optional<QString> interruptedRestoreNotice;

    bool operator==(const WorldBackupResult&) const = default;
};

} // namespace orvane
