#include "records/PreparedRestoreFile.h"

#include "platform/PathText.h"
#include "records/BackupStoreTexts.h"

#include <iterator>

namespace orvane {

std::filesystem::path PreparedRestoreFile::root() const
{
    std::filesystem::path root = destination.parent_path();
    if (manifestFile.relativePath == backupTexts::technicSettingsPath)
        return root;
    const std::filesystem::path relative = pathFromText(manifestFile.relativePath);
    for (auto part = std::next(relative.begin()); part != relative.end(); ++part)
        root = root.parent_path();
    return root;
}

} // namespace orvane
