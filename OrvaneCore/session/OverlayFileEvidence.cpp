#include "session/OverlayFileEvidence.h"

#include "platform/HexDigest.h"
#include "platform/PathText.h"
#include "platform/Sha256.h"
#include "records/FileEvidence.h"
#include "session/SnapshotFile.h"

#include <algorithm>
#include <system_error>

namespace orvane {

std::optional<OverlayFileEvidence> OverlayFileEvidence::measure(const std::vector<std::filesystem::path>& files)
{
    OverlayFileEvidence evidence;
    for (const auto& file : files) {
        const std::filesystem::path path = standardised(file);
        std::optional<CopiedFile> held = measureIfPossible(path);
        if (!held) {
            std::error_code error;
            if (std::filesystem::symlink_status(path, error).type() != std::filesystem::file_type::not_found)
                return std::nullopt;
        }
        evidence.m_files.push_back(path);
        evidence.m_held.push_back(std::move(held));
    }
    return evidence;
}

bool OverlayFileEvidence::eachHoldsSnapshotOrWrite(
    const BackupManifest& snapshot, const std::vector<TransactionalInstaller::PendingWrite>& writes) const
{
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        const std::filesystem::path& file = m_files[i];
        const std::optional<CopiedFile>& held = m_held[i];
        const BackupFile* copy = SnapshotFile::copyOf(snapshot, file);
        // Without a copy the file was absent when the snapshot was taken: a restore deletes it when
        // Apply created it, and leaves it alone otherwise.
        if (copy ? held && matchesEvidence(*held, copy->sha256, copy->byteCount) : !held)
            continue;
        const bool putBack = SnapshotFile::isKnown(snapshot, file);
        const auto write = std::find_if(writes.begin(), writes.end(), [&](const auto& w) {
            return standardised(w.file) == file;
        });
        if (!putBack || !held || write == writes.end()
            || !matchesEvidence(*held, hexDigest(Sha256::digest(write->bytes)), write->bytes.size()))
            return false;
    }
    return true;
}

} // namespace orvane
