#pragma once

#include "platform/FileOperations.h"
#include "records/BackupStore.h"
#include "session/TransactionalInstaller.h"

#include <QString>

#include <filesystem>
#include <optional>

namespace orvane {

// The origin of an overlay file that no record of origins names, where Balanced may have been
// applied by a release that kept none: a file holding Balanced's values never becomes its own
// origin. The newest earlier pre-overlay snapshot of the instance that holds another value of a
// key the file holds Balanced's value of now is where that key's value from before is.
namespace UnrecordedOverlayOrigin {

// `write` is what Balanced is about to write to the file, not yet written; `snapshotId` the snapshot
// taken for this Apply (never the answer). Nothing when no such snapshot is found. Snapshots that no
// longer verify are passed over; never throws for them.
std::optional<QString> find(const BackupStore& store, FileOperations& files, const std::filesystem::path& instance,
                            const QString& snapshotId, const TransactionalInstaller::PendingWrite& write);

} // namespace UnrecordedOverlayOrigin

} // namespace orvane
