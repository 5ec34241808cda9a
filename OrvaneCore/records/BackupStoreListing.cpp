#include "records/BackupStore.h"

#include "model/UnicodeScalars.h"

#include "json/JsonReader.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/FileEvidence.h"

#include <algorithm>

namespace orvane {

namespace {

// A world manifest lists at most 500000 files; this leaves room for long paths without reading
// an arbitrarily large file into memory.
constexpr std::uint64_t kManifestByteLimit = std::uint64_t(512) << 20;

const QLatin1String kEscapes{"snapshot directory escapes the backup store"};

BackupManifest readManifestIn(FileOperations& files, const std::filesystem::path& folder)
{
    // Never through a link: the manifest must be the folder's own file.
    const QByteArray bytes = files.readRegularFile(folder / "manifest.json", kManifestByteLimit, false);
    return fromJson<BackupManifest>(JsonReader::parse(bytes, QStringLiteral("BackupManifest")).object());
}

// The backups of `kind` in `backups`, else those of any kind (all when no kind is asked), in order.
// World saves and overlay files never stand in for each other: asked for saves, only saves are
// taken, and asked for an overlay kind, never saves.
std::vector<ListedBackup> ofKind(std::vector<ListedBackup> backups, std::optional<BackupKind> kind)
{
    if (!kind)
        return backups;
    const auto isKind = [&](const ListedBackup& b) { return b.manifest.kind == *kind; };
    if (std::any_of(backups.begin(), backups.end(), isKind) || *kind == BackupKind::saves) {
        std::erase_if(backups, [&](const ListedBackup& b) { return !isKind(b); });
        return backups;
    }
    std::erase_if(backups, [](const ListedBackup& b) { return b.manifest.kind == BackupKind::saves; });
    return backups;
}

std::optional<ListedBackup> pick(std::vector<ListedBackup> backups, std::optional<BackupKind> kind)
{
    auto chosen = ofKind(std::move(backups), kind);
    if (chosen.empty())
        return std::nullopt;
    return std::move(chosen.front());
}

} // namespace

std::vector<ListedBackup> BackupStore::listBackups(SnapshotCheck check) const
{
    if (!itemExistsAt(m_root))
        return {};
    std::vector<ListedBackup> kept;
    // Throws the platform's error when the folder cannot be listed.
    for (const auto& entry : std::filesystem::directory_iterator(m_root)) {
        const std::filesystem::path folder = entry.path();
        if (folder.filename() == "saves") // the world store inside the overlay store
            continue;
        try {
            if (!itemExistsAt(folder / "manifest.json"))
                continue;
            if (pathContainsSymbolicLink(folder, m_root))
                throw OrvaneError::backupCorrupt(kEscapes);
            BackupManifest manifest = readManifestIn(*m_files, folder);
            // Loading by id refuses such a backup; offering it would restore one under a false id.
            if (exactPathText(folder.filename()) != std::optional(manifest.id))
                continue;
            verifySnapshot(manifest, folder, check);
            kept.push_back(ListedBackup{std::move(manifest), folder});
        } catch (const std::exception&) {
            // One bad backup never hides the others.
            continue;
        }
    }
    std::sort(kept.begin(), kept.end(),
              [](const ListedBackup& a, const ListedBackup& b) { return isNewer(a.manifest, b.manifest); });
    return kept;
}

bool BackupStore::isNewer(const BackupManifest& a, const BackupManifest& b)
{
    if (a.createdAt == b.createdAt)
        return a.id > b.id;
    return a.createdAt > b.createdAt;
}

bool BackupStore::isSafeBackupID(const QString& id)
{
    const qsizetype bytes = id.toUtf8().size();
    if (bytes < 1 || bytes > 128 || id == QLatin1String(".") || id == QLatin1String(".."))
        return false;
    // "/" and the backslash are neither alphanumeric nor "-" or ".".
    return everyScalar(id, [](char32_t c) { return c == U'-' || c == U'.' || isLetterMarkOrNumber(c); });
}

std::optional<ListedBackup> BackupStore::latestBackup(const std::filesystem::path& instanceRoot,
                                                      std::optional<BackupKind> kind) const
{
    auto candidates = restorableBackups(instanceRoot, kind);
    if (candidates.empty())
        return std::nullopt;
    return std::move(candidates.front());
}

std::vector<ListedBackup> BackupStore::restorableBackups(const std::filesystem::path& instanceRoot,
                                                         std::optional<BackupKind> kind) const
{
    const std::filesystem::path instance = standardised(instanceRoot);
    std::vector<ListedBackup> candidates;
    for (auto& backup : listBackups(SnapshotCheck::sizes)) {
        // A recorded root is compared as written; a relative one is never resolved (and never matches).
        if (standardised(pathFromText(backup.manifest.instanceRoot)) != instance)
            continue;
        if (backup.manifest.kind == BackupKind::saves) {
            try {
                planRestore(backup.manifest, backup.directory, instance, std::nullopt);
            } catch (const OrvaneError&) {
                continue; // an older world backup may still be usable
            }
        }
        candidates.push_back(std::move(backup));
    }
    return ofKind(std::move(candidates), kind);
}

std::optional<ListedBackup> BackupStore::loadBackup(const std::optional<BackupManifest>& manifest) const
{
    if (!manifest)
        return std::nullopt;
    const QString& id = manifest->id;
    if (!isSafeBackupID(id))
        throw OrvaneError::backupCorrupt(QStringLiteral("unsafe backup id"));
    const std::filesystem::path folder = m_root / pathFromText(id);
    if (pathContainsSymbolicLink(folder, m_root))
        throw OrvaneError::backupCorrupt(kEscapes);
    if (!itemExistsAt(folder / "manifest.json"))
        throw OrvaneError::backupCorrupt(QStringLiteral("missing manifest for ") + id);
    BackupManifest decoded = readManifestIn(*m_files, folder);
    if (decoded.id != id)
        throw OrvaneError::backupCorrupt(QStringLiteral("manifest id does not match its backup directory"));
    return ListedBackup{std::move(decoded), folder};
}

std::optional<std::filesystem::path> BackupStore::technicRoot(const std::filesystem::path& instanceRoot)
{
    const std::filesystem::path parent = standardised(instanceRoot).parent_path();
    if (parent.filename() != "modpacks")
        return std::nullopt;
    return parent.parent_path();
}

RestoreResult BackupStore::restoreLatestBackup(const std::filesystem::path& instanceRoot,
                                               const std::optional<std::filesystem::path>& technicDataRoot,
                                               std::optional<BackupKind> kind)
{
    return restoreFirstUsable(restorableBackups(instanceRoot, kind), instanceRoot,
                              technicDataRoot ? technicDataRoot : technicRoot(instanceRoot));
}

RestoreResult BackupStore::restoreBackup(const BackupManifest& manifest, const std::filesystem::path& instanceRoot,
                                         const std::optional<std::filesystem::path>& technicDataRoot)
{
    const auto loaded = loadBackup(manifest);
    if (!loaded)
        throw OrvaneError::backupMissing();
    return restoreAtomically(*loaded, instanceRoot, technicDataRoot ? technicDataRoot : technicRoot(instanceRoot));
}

RestoreResult BackupStore::restoreRecordedBackup(const std::optional<BackupManifest>& manifest,
                                                 std::optional<BackupKind> kind)
{
    std::optional<ListedBackup> chosen = manifest ? loadBackup(manifest) : pick(listBackups(), kind);
    if (!chosen)
        throw OrvaneError::backupMissing();
    const std::filesystem::path instance = pathFromText(chosen->manifest.instanceRoot);
    return restoreAtomically(*chosen, instance, technicRoot(instance));
}

} // namespace orvane
