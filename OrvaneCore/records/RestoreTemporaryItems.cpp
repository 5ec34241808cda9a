#include "records/RestoreTemporaryItems.h"

#include <QUuid>

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

} // namespace orvane::restoreItems
