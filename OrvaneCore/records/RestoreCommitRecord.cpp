#include "records/RestoreCommitRecord.h"

#include <QList>

namespace orvane {

namespace {

constexpr const char* kRecordName = ".orvane-restore-commit";
// A record holds a few paths; anything larger is not one of ours.
constexpr std::uint64_t kRecordByteLimit = 64 * 1024;

void append(QByteArray& bytes, const char* key, const QByteArray& value)
{
    bytes.append(key);
    bytes.append('=');
    bytes.append(value);
    bytes.append('\0');
}

QByteArray pathBytes(const std::filesystem::path& path)
{
    return QByteArray(path.c_str(), qsizetype(path.native().size()));
}

std::filesystem::path bytesPath(const QByteArray& bytes)
{
    return std::filesystem::path(bytes.toStdString());
}

} // namespace

QByteArray RestoreCommitRecord::encode() const
{
    QByteArray bytes;
    append(bytes, "restore", restore.toUtf8());
    append(bytes, "store", pathBytes(store));
    append(bytes, "backup", backupId.toUtf8());
    append(bytes, "instance", pathBytes(instanceRoot));
    if (technicRoot)
        append(bytes, "technic", pathBytes(*technicRoot));
    return bytes;
}

std::optional<RestoreCommitRecord> RestoreCommitRecord::decode(const QByteArray& bytes)
{
    RestoreCommitRecord record;
    bool hasRestore = false, hasStore = false, hasBackup = false, hasInstance = false;
    for (const QByteArray& entry : bytes.split('\0')) {
        const qsizetype equals = entry.indexOf('=');
        if (entry.isEmpty() || entry.startsWith('/') || equals <= 0)
            continue;
        const QByteArray key = entry.left(equals);
        const QByteArray value = entry.mid(equals + 1);
        if (key == "restore") {
            record.restore = QString::fromUtf8(value);
            hasRestore = true;
        } else if (key == "store") {
            record.store = bytesPath(value);
            hasStore = true;
        } else if (key == "backup") {
            record.backupId = QString::fromUtf8(value);
            hasBackup = true;
        } else if (key == "instance") {
            record.instanceRoot = bytesPath(value);
            hasInstance = true;
        } else if (key == "technic") {
            record.technicRoot = bytesPath(value);
        }
    }
    const bool absolute = record.store.is_absolute() && record.instanceRoot.is_absolute()
        && (!record.technicRoot || record.technicRoot->is_absolute());
    if (!hasRestore || !hasStore || !hasBackup || !hasInstance || !absolute || record.backupId.isEmpty())
        return std::nullopt;
    return record;
}

std::filesystem::path RestoreCommitRecord::fileIn(const std::filesystem::path& undoFolder)
{
    return undoFolder / kRecordName;
}

std::optional<RestoreCommitRecord> RestoreCommitRecord::readFrom(FileOperations& files,
                                                                 const std::filesystem::path& undoFolder)
{
    const auto bytes = readFileIfPossible(files, fileIn(undoFolder), kRecordByteLimit, false);
    return bytes ? decode(*bytes) : std::nullopt;
}

} // namespace orvane
