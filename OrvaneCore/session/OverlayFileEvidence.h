#pragma once

#include "model/BackupManifest.h"
#include "platform/FileOperations.h"
#include "session/TransactionalInstaller.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

// What the overlay target files hold at one moment, each absent or its digest and size: enough to
// tell whether a failed Apply replaced any of them, and whether they hold what a pre-overlay
// snapshot or Apply itself would put there. Each measurement reads the files again.
class OverlayFileEvidence final {
public:
    // Nothing when a file exists but cannot be measured: then no comparison can vouch for it.
    static std::optional<OverlayFileEvidence> measure(const std::vector<std::filesystem::path>& files);

    // True when each file holds what a restore of `snapshot` would leave there, or exactly what one of
    // `writes` writes to it while the snapshot would put it back (its copy, or deleted as created).
    bool eachHoldsSnapshotOrWrite(const BackupManifest& snapshot,
                                  const std::vector<TransactionalInstaller::PendingWrite>& writes) const;

    bool operator==(const OverlayFileEvidence&) const = default;

private:
    std::vector<std::filesystem::path> m_files;    // standardised
    std::vector<std::optional<CopiedFile>> m_held; // none: nothing at that path
};

} // namespace orvane
