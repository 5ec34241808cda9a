#include "records/RestoreSpace.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/RestoreTexts.h"

#include <algorithm>
#include <optional>

#include <sys/stat.h>

namespace orvane {

namespace {

// Every file takes whole blocks, and its entry and inode some more: counted as one block each.
constexpr std::uint64_t kBlock = 4096;
// The records, folders and journal a run writes besides its copies.
constexpr std::uint64_t kMargin = std::uint64_t(1) << 20;

std::optional<std::uint64_t> deviceOf(const std::filesystem::path& folder)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return std::nullopt;
    return std::uint64_t(st.st_dev);
}

// The highest folder on the same disk as `folder` at or below the root it lies in: what to name.
std::filesystem::path diskFolder(const std::filesystem::path& folder, std::uint64_t device, const RestoreRoots& roots)
{
    std::filesystem::path root = roots.instance;
    if (roots.technic && !isSameOrContained(folder, roots.instance) && isSameOrContained(folder, *roots.technic))
        root = *roots.technic;
    if (!isSameOrContained(folder, root))
        return folder;
    std::filesystem::path named = folder;
    while (named != root && deviceOf(named.parent_path()) == device)
        named = named.parent_path();
    return named;
}

} // namespace

void RestoreSpace::add(const std::filesystem::path& destination, std::uint64_t bytes)
{
    // The destination's folder, or the nearest one above it that exists: a restore makes the rest.
    std::filesystem::path folder = destination.parent_path();
    std::optional<std::uint64_t> device = deviceOf(folder);
    while (!device && folder.has_relative_path()) {
        folder = folder.parent_path();
        device = deviceOf(folder);
    }
    if (!device)
        return;
    const std::uint64_t taken = (bytes + kBlock - 1) / kBlock * kBlock + kBlock;
    auto volume = std::find_if(m_volumes.begin(), m_volumes.end(), [&](const Volume& v) { return v.device == *device; });
    if (volume == m_volumes.end())
        volume = m_volumes.insert(m_volumes.end(), Volume{*device, folder, 0});
    volume->bytes = m_use == Use::together ? volume->bytes + taken : std::max(volume->bytes, taken);
}

void RestoreSpace::require(const RestoreRoots& roots, BackupKind kind, bool finishing) const
{
    for (const Volume& volume : m_volumes) {
        const std::uint64_t needed = volume.bytes + kMargin;
        const auto available = m_files.availableBytes(volume.folder);
        if (available && *available < needed)
            throw OrvaneError::io(restoreTexts::interruptedRestoreNeedsSpace(
                kind, finishing, needed - *available, diskFolder(volume.folder, volume.device, roots)));
    }
}

} // namespace orvane
