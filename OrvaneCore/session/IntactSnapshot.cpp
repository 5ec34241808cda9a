#include "session/IntactSnapshot.h"

#include "model/OrvaneError.h"

namespace orvane {

bool isIntactSnapshot(const BackupStore& store, const ListedBackup& backup)
{
    try {
        store.verifySnapshot(backup.manifest, backup.directory);
    } catch (const OrvaneError& error) {
        if (error.kind() != OrvaneError::Kind::backupCorrupt)
            throw;
        return false;
    }
    return true;
}

} // namespace orvane
