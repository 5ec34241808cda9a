#include "records/RestoreTemporaryItems.h"

#include "records/FileEvidence.h"

#include <QUuid>

#include <exception>

namespace orvane::restoreItems {

namespace {

std::filesystem::path named(const char* prefix)
{
    return std::filesystem::path(prefix + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString());
}

} // namespace

std::filesystem::path undoFolderName() { return named("orvane-restore-undo-"); }
std::filesystem::path stageName() { return named(".orvane-restore-stage-"); }
std::filesystem::path rollbackName() { return named(".orvane-restore-rollback-"); }
std::filesystem::path preservedName() { return named(".orvane-restore-preserved-"); }
std::filesystem::path setAsideName() { return named(".orvane-restore-created-"); }
std::filesystem::path keptUndoFolderName() { return named("orvane-restore-kept-"); }
std::filesystem::path journalName() { return named(".orvane-restore-areas-"); }
std::filesystem::path probeName() { return named(".orvane-restore-probe-"); }

void removeQuietly(FileOperations& files, const std::filesystem::path& path)
{
    try {
        files.removeFile(path);
    } catch (const std::exception&) {
    }
}

void removeIfHolding(FileOperations& files, const std::filesystem::path& path, const QString& sha256,
                     std::int64_t byteCount)
{
    if (holdsBytes(path, sha256, byteCount))
        removeQuietly(files, path);
}

} // namespace orvane::restoreItems
