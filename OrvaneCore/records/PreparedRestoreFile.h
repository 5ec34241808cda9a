#pragma once

#include "model/BackupManifest.h"

#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>

namespace orvane {

// One file of a restore in progress, in the manifest's order.
struct PreparedRestoreFile {
    BackupFile manifestFile;
    std::filesystem::path destination; // the standardised originalPath
    std::filesystem::path staged;      // the digest-checked copy of the backed-up bytes, waiting for its swap
    bool existed = false;              // an item was at the destination when the file was staged
    // The undo file of the destination's prior bytes (a hard link to its own file, or a checked copy
    // where none is allowed: see RestoreRun.h) and what it measured; existing destinations only.
    std::optional<std::filesystem::path> undo;
    bool undoCopied = false; // `undo` is a copy, not a second name of the prior file (none allowed there)
    std::optional<QString> priorSHA256;
    std::optional<std::int64_t> priorByteCount;

    // The root the file is restored below, from which its folder is opened without links: the Technic
    // root for the launcher's settings, the instance otherwise (the destination less its relative path,
    // as the plan accepts only such destinations).
    std::filesystem::path root() const;

    bool operator==(const PreparedRestoreFile&) const = default;
};

} // namespace orvane
