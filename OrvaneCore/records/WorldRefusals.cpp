#include "records/WorldRefusals.h"

#include "model/ByteCountFormat.h"
#include "platform/PathText.h"
#include "records/BackupStoreTexts.h"

#include <algorithm>
#include <cerrno>
#include <set>

#include <sys/stat.h>

namespace orvane {

namespace {

constexpr std::uint64_t kGiB = std::uint64_t(1) << 30;
// Every file takes whole blocks, and its entry and inode some more: counted as one block each.
constexpr std::uint64_t kBlock = 4096;
// The manifest, records and folders written besides the copies.
constexpr std::uint64_t kMargin = std::uint64_t(1) << 20;

std::optional<dev_t> deviceOf(const std::filesystem::path& folder)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return std::nullopt;
    return st.st_dev;
}

QString limitText(std::uint64_t limit)
{
    if (limit >= kGiB && limit % kGiB == 0)
        return QStringLiteral("%1 GiB").arg(limit / kGiB);
    return fileByteCountText(std::int64_t(limit));
}

// Rounded up to the last digit its text shows, so that freeing what it says is enough.
std::uint64_t roundedUp(std::uint64_t bytes)
{
    const std::uint64_t step = bytes < 1000000 ? 1000 : bytes < 1000000000 ? 100000 : bytes < 1000000000000 ? 10000000
                                                                                                           : 10000000000;
    return (bytes + step - 1) / step * step;
}

} // namespace

std::optional<std::filesystem::path> firstSymbolicLink(const std::filesystem::path& path,
                                                       const std::filesystem::path& root)
{
    const std::filesystem::path standardRoot = standardised(root);
    std::filesystem::path current = standardRoot;
    for (const auto& part : standardised(path).lexically_relative(standardRoot)) {
        if (part.empty() || part == "." || part == "..")
            continue;
        current /= part;
        struct stat st {};
        if (::lstat(current.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            return current;
    }
    return std::nullopt;
}

OrvaneError worldLinkRefused(const std::filesystem::path& link)
{
    return OrvaneError::io(QStringLiteral("%1 is a symbolic link, and Orvane does not follow links in world saves. "
                                          "Put the world itself in the saves folder, then try again.")
                               .arg(pathText(link)));
}

OrvaneError worldLinkRefused(const std::filesystem::path& path, const std::filesystem::path& root)
{
    return worldLinkRefused(firstSymbolicLink(path, root).value_or(standardised(path)));
}

std::optional<std::filesystem::path> linkBeforeBackedUpWorld(const std::vector<ListedBackup>& backups,
                                                             const std::filesystem::path& instanceRoot)
{
    const std::filesystem::path instance = standardised(instanceRoot);
    std::set<std::filesystem::path> folders; // looked at once each: a world has many files in few folders
    for (const ListedBackup& backup : backups) {
        if (backup.manifest.kind != BackupKind::saves || standardised(pathFromText(backup.manifest.instanceRoot)) != instance)
            continue;
        for (const BackupFile& file : backup.manifest.files) {
            const std::filesystem::path folder = standardised(pathFromText(file.originalPath)).parent_path();
            if (!isSameOrContained(folder, instance) || !folders.insert(folder).second)
                continue;
            if (auto link = firstSymbolicLink(folder, instance))
                return link;
        }
    }
    return std::nullopt;
}

OrvaneError worldFileTooLarge(const std::filesystem::path& file, std::uint64_t limit)
{
    return OrvaneError::backupCorrupt(QString(backupTexts::fileSizeLimit) + QStringLiteral(" of ") + limitText(limit)
                                      + QStringLiteral(": ") + pathText(file));
}

OrvaneError backupNeedsSpace(std::uint64_t bytes, const std::filesystem::path& folder)
{
    return OrvaneError::io(QStringLiteral("There is not enough free space to back up the worlds: free at least %1 on "
                                          "the disk that holds %2, then try again. Nothing was backed up.")
                               .arg(fileByteCountText(std::int64_t(roundedUp(bytes))), pathText(folder)));
}

OrvaneError restoreNeedsSpace(std::uint64_t bytes, const std::filesystem::path& folder)
{
    return OrvaneError::io(QStringLiteral("There is not enough free space to restore the worlds: free at least %1 on "
                                          "the disk that holds %2, then try again. Nothing was replaced.")
                               .arg(fileByteCountText(std::int64_t(roundedUp(bytes))), pathText(folder)));
}

void rethrowIfRestoreOutOfSpace(FileOperations& files, const std::system_error& error, const BackupManifest& manifest,
                                const std::filesystem::path& instanceRoot)
{
    // Overlay files are a few small ones: their platform error is told as it is.
    if (manifest.kind != BackupKind::saves || !isOutOfSpace(error))
        return;
    // The stages of every file exist together.
    std::uint64_t bytes = 0;
    for (const BackupFile& file : manifest.files)
        bytes += std::uint64_t(std::max<std::int64_t>(file.byteCount, 0));
    const std::filesystem::path instance = standardised(instanceRoot);
    const std::filesystem::path disk = diskFolderOf(instance / "saves", instance);
    throw restoreNeedsSpace(spaceShortfall(files, bytes, manifest.files.size(), disk), disk);
}

bool isOutOfSpace(const std::system_error& error)
{
    const int value = error.code().value();
    const bool errnoCategory
        = error.code().category() == std::generic_category() || error.code().category() == std::system_category();
    return errnoCategory && (value == ENOSPC || value == EDQUOT);
}

std::uint64_t spaceShortfall(FileOperations& files, std::uint64_t fileBytes, std::uint64_t fileCount,
                             const std::filesystem::path& folder)
{
    const std::uint64_t needed = fileBytes + fileCount * 2 * kBlock + kMargin;
    const auto available = files.availableBytes(folder);
    return available && *available < needed ? needed - *available : needed;
}

std::filesystem::path diskFolderOf(const std::filesystem::path& folder, const std::filesystem::path& root)
{
    std::filesystem::path named = standardised(folder);
    const std::filesystem::path top = standardised(root);
    while (!deviceOf(named) && named.has_relative_path() && named != top)
        named = named.parent_path();
    const auto device = deviceOf(named);
    while (device && named != top && isContained(named, top) && deviceOf(named.parent_path()) == device)
        named = named.parent_path();
    return named;
}

} // namespace orvane
