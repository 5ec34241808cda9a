#include "session/UnrecordedOverlayOrigin.h"

#include "platform/PathText.h"
#include "session/SnapshotFile.h"
#include "technic/OptionsFile.h"
#include "technic/TechnicFileReading.h"

#include <QJsonValue>

namespace orvane::UnrecordedOverlayOrigin {

namespace {

std::optional<QJsonValue> valueIn(const std::optional<QByteArray>& bytes, const QString& key, bool options)
{
    if (!bytes)
        return std::nullopt;
    if (options) {
        const auto text = strictUtf8(*bytes);
        const auto value = text ? OptionsFile(*text).value(key) : std::nullopt;
        return value ? std::optional(QJsonValue(*value)) : std::nullopt;
    }
    const auto object = jsonObjectIfPossible(*bytes);
    return object && object->contains(key) ? std::optional(object->value(key)) : std::nullopt;
}

// The file as `backup` holds it: its copy, nothing where it did not exist then; no answer (false)
// when the backup does not know the file or its copy is not what the manifest records.
bool heldBy(FileOperations& files, const ListedBackup& backup, const std::filesystem::path& file,
            std::optional<QByteArray>& bytes)
{
    const BackupFile* copy = SnapshotFile::copyOf(backup.manifest, file);
    if (!copy) {
        bytes.reset();
        return SnapshotFile::isKnown(backup.manifest, file);
    }
    bytes = readFileIfPossible(files, backup.directory / pathFromText(copy->relativePath), technicFileByteLimit,
                               false);
    return bytes && SnapshotFile::matchesCopy(*bytes, *copy);
}

} // namespace

std::optional<QString> find(const BackupStore& store, FileOperations& files, const std::filesystem::path& instance,
                            const QString& snapshotId, const TransactionalInstaller::PendingWrite& write)
{
    const std::filesystem::path file = standardised(write.file);
    const bool options = file.filename() == "options.txt";
    const std::optional<QByteArray> now = readFileIfPossible(files, file, technicFileByteLimit, false);
    // The keys that hold Balanced's value now.
    QStringList balanced;
    for (const QString& key : write.keys) {
        const auto value = valueIn(now, key, options);
        if (value && value == valueIn(write.bytes, key, options))
            balanced.append(key);
    }
    if (balanced.isEmpty())
        return std::nullopt;
    std::vector<ListedBackup> backups;
    try {
        backups = store.restorableBackups(instance, BackupKind::preOverlay);
    } catch (const std::exception&) {
        return std::nullopt; // an unreadable store has no earlier origin to offer
    }
    for (const ListedBackup& backup : backups) {
        std::optional<QByteArray> before;
        if (backup.manifest.id == snapshotId || backup.manifest.kind != BackupKind::preOverlay
            || !heldBy(files, backup, file, before))
            continue;
        for (const QString& key : balanced) {
            if (valueIn(before, key, options) != valueIn(write.bytes, key, options))
                return backup.manifest.id;
        }
    }
    return std::nullopt;
}

} // namespace orvane::UnrecordedOverlayOrigin
