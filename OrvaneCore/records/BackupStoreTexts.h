#pragma once

#include "model/OrvaneError.h"

#include <QLatin1String>
#include <QString>

#include <filesystem>

namespace orvane {

namespace backupTexts {
// Where a snapshot keeps the launcher's settings, which lie outside the instance.
inline constexpr QLatin1String technicSettingsPath{"technic-root/settings.json"};

// Refusal texts the store's snapshot, scan and verification share.
inline constexpr QLatin1String savesPathLink{"world save path contains a symbolic link"};
inline constexpr QLatin1String treeLink{"world save tree contains a symbolic link"};
inline constexpr QLatin1String treeSpecialFile{"world save tree contains a special file"};
inline constexpr QLatin1String fileLimit{"world save tree exceeds the file limit"};
inline constexpr QLatin1String fileSizeLimit{"world save file exceeds the size limit"};
inline constexpr QLatin1String totalSizeLimit{"world save tree exceeds the total size limit"};
inline constexpr QLatin1String worldChanged{"world save changed while Orvane was creating the backup"};

// A snapshot copy that does not hold what its manifest records.
inline QString hashMismatch(const QString& relativePath)
{
    return QStringLiteral("hash mismatch ") + relativePath;
}
inline QString byteCountMismatch(const QString& relativePath)
{
    return QStringLiteral("byte count mismatch ") + relativePath;
}

// Another process holds the stores' lock past the wait.
inline constexpr QLatin1String storeBusy{"Another Orvane is working on these backups. Nothing was changed."};
} // namespace backupTexts

// A manifest records paths as text: a name whose bytes are not UTF-8 could only be recorded wrongly.
OrvaneError unrecordableName(const std::filesystem::path& path);

} // namespace orvane
