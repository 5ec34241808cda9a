#include "records/BackupStore.h"

#include "records/BackupSequence.h"

#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "records/FileEvidence.h"
#include "records/OutOfOpenFiles.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include <QUuid>

namespace orvane {

namespace {

const QLatin1String kEscapes{"snapshot directory escapes the backup store"};

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

// The time an id made by makeBackupId carries, to the second a manifest records; nothing for any
// other name.
std::optional<QDateTime> recordedTimeOfId(const QString& id)
{
    constexpr qsizetype kTimeLength = 23; // yyyy-MM-ddTHHmmss.zzzZ and "-"
    if (id.size() != kTimeLength + 36 || id[kTimeLength - 1] != QLatin1Char('-'))
        return std::nullopt;
    const QDate date = QDate::fromString(id.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(id.mid(11, 10), QStringLiteral("HHmmss.zzz"));
    const QUuid uuid = QUuid::fromString(QStringView(id).mid(kTimeLength));
    if (!date.isValid() || !time.isValid() || uuid.isNull())
        return std::nullopt;
    const QDateTime made(date, time, Qt::UTC);
    if (BackupStore::makeBackupId(made, uuid) != id)
        return std::nullopt;
    return QDateTime(date, QTime(time.hour(), time.minute(), time.second()), Qt::UTC);
}

// The backups a restore of one instance may take, newest first, each read and checked (manifest,
// sizes, and for world backups the plan) only when the walk reaches it: a valid newest backup leaves
// every older one unopened. The order comes from the folder names, which carry the time each backup
// was made; a manifest that disagrees with its name's time, or a folder not named by
// BackupStore::makeBackupId, is placed by its manifest as listBackups() does.
class RestorableBackups final {
public:
    RestorableBackups(const BackupStore& store, const std::filesystem::path& instanceRoot,
                      std::optional<BackupKind> kind)
        : m_store(store), m_instance(standardised(instanceRoot)), m_kind(kind)
    {
        if (!itemExistsAt(store.root()))
            return;
        // Throws the platform's error when the folder cannot be listed.
        for (const auto& item : std::filesystem::directory_iterator(store.root())) {
            const std::filesystem::path folder = item.path();
            const auto name = exactPathText(folder.filename());
            if (!name || folder.filename() == "saves") // the world store inside the overlay store
                continue;
            Entry entry{folder, *name, {}, sequenceOfBackupIn(folder), {}, {}};
            if (const auto time = recordedTimeOfId(*name)) {
                entry.createdAt = *time;
            } else {
                if (!load(entry))
                    continue;
                entry.createdAt = entry.manifest->createdAt;
            }
            m_entries.push_back(std::move(entry));
        }
        // As isNewer orders manifests: counted backups first, by their count.
        std::sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
            if (a.sequence.has_value() != b.sequence.has_value())
                return a.sequence.has_value();
            if (a.sequence && *a.sequence != *b.sequence)
                return *a.sequence > *b.sequence;
            return a.createdAt == b.createdAt ? a.id > b.id : a.createdAt > b.createdAt;
        });
    }

    std::optional<ListedBackup> next()
    {
        if (m_listed)
            return nextListed();
        for (;;) {
            while (m_position < m_entries.size()) {
                Entry& entry = m_entries[m_position++];
                const bool want = wanted(entry);
                if (m_listed) // a manifest disagreed with its name: placed as the listing places it
                    return nextListed();
                if (!want || !passes(entry))
                    continue;
                m_given.insert(entry.id);
                return ListedBackup{*entry.manifest, entry.folder};
            }
            // Asked for an overlay kind the instance has no backup of: any overlay backup serves.
            if (m_kind && *m_kind != BackupKind::saves && !m_anyKind && m_given.empty()) {
                m_anyKind = true;
                m_position = 0;
                continue;
            }
            return std::nullopt;
        }
    }

private:
    struct Entry {
        std::filesystem::path folder;
        QString id;
        QDateTime createdAt; // from the id until the manifest is read
        std::optional<std::int64_t> sequence; // from the manifest's last bytes until it is read
        std::optional<BackupManifest> manifest;
        std::optional<bool> passed;
    };

    // Reads the folder's own manifest; false for a folder a listing leaves out.
    bool load(Entry& entry)
    {
        try {
            if (!itemExistsAt(entry.folder / "manifest.json"))
                return false;
            if (BackupStore::pathContainsSymbolicLink(entry.folder, m_store.root()))
                return false;
            BackupManifest manifest = BackupReader::readManifestIn(*m_store.fileOperations(), entry.folder);
            if (manifest.id != entry.id)
                return false;
            entry.manifest = std::move(manifest);
            return true;
        } catch (const std::exception& error) {
            rethrowIfOutOfOpenFiles(error, entry.folder);
            return false; // one bad backup never hides the others
        }
    }

    bool wanted(Entry& entry)
    {
        if (entry.passed == false)
            return false; // refused already (a second walk for any overlay kind reads nothing again)
        if (!entry.manifest) {
            if (!load(entry)) {
                entry.passed = false;
                return false;
            }
            if (entry.manifest->createdAt != entry.createdAt || entry.manifest->sequence != entry.sequence)
                m_listed = true;
        }
        const BackupKind kind = entry.manifest->kind;
        if (!m_kind)
            return true;
        if (*m_kind == BackupKind::saves || !m_anyKind)
            return kind == *m_kind;
        return kind != BackupKind::saves;
    }

    bool passes(Entry& entry)
    {
        if (!entry.passed) {
            const BackupManifest& manifest = *entry.manifest;
            try {
                // A recorded root is compared as written; a relative one is never resolved (and never matches).
                if (standardised(pathFromText(manifest.instanceRoot)) != m_instance)
                    throw OrvaneError::backupCorrupt(QStringLiteral("backup belongs to a different instance"));
                m_store.verifySnapshot(manifest, entry.folder, BackupStore::SnapshotCheck::sizes);
                if (manifest.kind == BackupKind::saves)
                    m_store.planRestore(manifest, entry.folder, m_instance, std::nullopt);
                entry.passed = true;
            } catch (const std::exception& error) {
                rethrowIfOutOfOpenFiles(error, entry.folder);
                entry.passed = false; // an older backup may still be usable
            }
        }
        return *entry.passed;
    }

    // The listing's own order and checks over the whole store, for a store whose names and manifests
    // disagree; continues with the backups not given yet.
    std::optional<ListedBackup> nextListed()
    {
        if (!m_listedBackups) {
            std::vector<ListedBackup> kept;
            for (auto& backup : m_store.listBackups(BackupStore::SnapshotCheck::sizes)) {
                if (standardised(pathFromText(backup.manifest.instanceRoot)) != m_instance)
                    continue;
                if (backup.manifest.kind == BackupKind::saves) {
                    try {
                        m_store.planRestore(backup.manifest, backup.directory, m_instance, std::nullopt);
                    } catch (const OrvaneError& error) {
                        rethrowIfOutOfOpenFiles(error, backup.directory);
                        continue;
                    }
                }
                kept.push_back(std::move(backup));
            }
            m_listedBackups = ofKind(std::move(kept), m_kind);
            std::erase_if(*m_listedBackups, [&](const ListedBackup& b) { return m_given.count(b.manifest.id) > 0; });
            std::reverse(m_listedBackups->begin(), m_listedBackups->end());
        }
        if (m_listedBackups->empty())
            return std::nullopt;
        ListedBackup next = std::move(m_listedBackups->back());
        m_listedBackups->pop_back();
        return next;
    }

    const BackupStore& m_store;
    std::filesystem::path m_instance;
    std::optional<BackupKind> m_kind;
    std::vector<Entry> m_entries; // newest first
    std::size_t m_position = 0;
    bool m_anyKind = false;
    std::set<QString> m_given; // ids already given
    bool m_listed = false;
    std::optional<std::vector<ListedBackup>> m_listedBackups;
};

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
        } catch (const std::exception& error) {
            // One bad backup never hides the others; a check that could not be made hides none.
            rethrowIfOutOfOpenFiles(error, folder);
            continue;
        }
    }
    std::sort(kept.begin(), kept.end(),
              [](const ListedBackup& a, const ListedBackup& b) { return isNewer(a.manifest, b.manifest); });
    return kept;
}

bool BackupStore::isNewer(const BackupManifest& a, const BackupManifest& b)
{
    // Counted backups were all made after the store began counting; among them the count decides,
    // since a clock set back would not.
    if (a.sequence.has_value() != b.sequence.has_value())
        return a.sequence.has_value();
    if (a.sequence && *a.sequence != *b.sequence)
        return *a.sequence > *b.sequence;
    if (a.createdAt == b.createdAt)
        return a.id > b.id;
    return a.createdAt > b.createdAt;
}

std::optional<ListedBackup> BackupStore::latestBackup(const std::filesystem::path& instanceRoot,
                                                      std::optional<BackupKind> kind) const
{
    return RestorableBackups(*this, instanceRoot, kind).next();
}

std::vector<ListedBackup> BackupStore::restorableBackups(const std::filesystem::path& instanceRoot,
                                                         std::optional<BackupKind> kind) const
{
    RestorableBackups candidates(*this, instanceRoot, kind);
    std::vector<ListedBackup> all;
    while (auto backup = candidates.next())
        all.push_back(std::move(*backup));
    return all;
}

std::optional<OrvaneError> BackupStore::restoreCandidateFailure(const std::filesystem::path& instanceRoot,
                                                                std::optional<BackupKind> kind) const
{
    if (!itemExistsAt(m_root))
        return std::nullopt;
    const std::filesystem::path instance = standardised(instanceRoot);
    std::vector<ListedBackup> failed;
    std::map<std::filesystem::path, OrvaneError> failures; // by folder
    std::optional<QString> unreadable; // the newest id whose manifest cannot be read
    // Throws the platform's error when the folder cannot be listed.
    for (const auto& entry : std::filesystem::directory_iterator(m_root)) {
        const std::filesystem::path folder = entry.path();
        const auto id = exactPathText(folder.filename());
        if (!id || folder.filename() == "saves") // the world store inside the overlay store
            continue;
        std::optional<BackupManifest> manifest;
        try {
            if (!itemExistsAt(folder / "manifest.json") || pathContainsSymbolicLink(folder, m_root))
                continue;
            manifest = readManifestIn(*m_files, folder);
        } catch (const std::exception& error) {
            rethrowIfOutOfOpenFiles(error, folder);
            // Only a folder named as backups are named is taken for one (never a partial snapshot).
            if (recordedTimeOfId(*id) && (!unreadable || *id > *unreadable))
                unreadable = *id;
            continue;
        }
        if (standardised(pathFromText(manifest->instanceRoot)) != instance)
            continue;
        try {
            if (manifest->id != *id)
                throw OrvaneError::backupCorrupt(QStringLiteral("manifest id does not match its backup directory"));
            verifySnapshot(*manifest, folder, SnapshotCheck::sizes); // a truncated copy reads as such
            verifySnapshot(*manifest, folder, SnapshotCheck::digests);
        } catch (const OrvaneError& error) {
            rethrowIfOutOfOpenFiles(error, folder);
            failures.emplace(folder, error);
            failed.push_back(ListedBackup{std::move(*manifest), folder});
        }
    }
    std::sort(failed.begin(), failed.end(),
              [](const ListedBackup& a, const ListedBackup& b) { return isNewer(a.manifest, b.manifest); });
    if (const auto newest = pick(std::move(failed), kind))
        return failures.at(newest->directory);
    if (unreadable)
        return OrvaneError::backupCorrupt(QStringLiteral("unreadable manifest for ") + *unreadable);
    return std::nullopt;
}

std::function<std::optional<ListedBackup>()> BackupStore::restoreCandidates(const std::filesystem::path& instanceRoot,
                                                                          std::optional<BackupKind> kind) const
{
    auto candidates = std::make_shared<RestorableBackups>(*this, instanceRoot, kind);
    return [candidates] { return candidates->next(); };
}

std::optional<ListedBackup> BackupStore::newestBackup(std::optional<BackupKind> kind) const
{
    return pick(listBackups(), kind);
}

} // namespace orvane
