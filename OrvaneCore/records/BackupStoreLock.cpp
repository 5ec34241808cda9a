#include "records/BackupStore.h"

#include "model/OrvaneError.h"
#include "platform/OwnItemNames.h"
#include "platform/PathText.h"
#include "records/BackupStoreTexts.h"
#include "records/OutOfOpenFiles.h"

#include <system_error>

namespace orvane {

// One lock for every store, not one per store: the overlay store and the world store share the
// temporary folder (stages, undo folders and the clean-up of both), so a world restore in one process
// and an Apply's clean-up in another must exclude each other too, and an Apply writes the very files
// an overlay restore puts back. The lock file lies in the folder that holds the temporary folder:
// Orvane's data folder, which every store of a session shares and no clean-up ever lists. A store
// without a temporary folder keeps its restore work beside the files restored and locks beside its
// own root.
std::filesystem::path BackupStore::lockFile() const
{
    const std::filesystem::path& base = m_temporaryFolder.empty() ? m_root : m_temporaryFolder;
    return standardised(std::filesystem::absolute(base)).parent_path() / ownItemNames::storeLock;
}

StoreLock BackupStore::lock() const
{
    const std::filesystem::path file = lockFile();
    std::optional<StoreLock> held;
    try {
        held = StoreLock::acquire(file, m_lockPatience);
    } catch (const std::system_error& error) {
        if (isOutOfOpenFiles(error.code()))
            throw outOfOpenFiles(file);
        throw OrvaneError::io(QStringLiteral("Orvane could not lock its backups with %1 (%2). Nothing was changed.")
                                  .arg(pathText(file), QString::fromStdString(error.code().message())));
    }
    if (!held)
        throw OrvaneError::io(backupTexts::storeBusy);
    return std::move(*held);
}

} // namespace orvane
