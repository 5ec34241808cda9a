#include "records/BackupReader.h"

#include "json/JsonReader.h"
#include "model/OrvaneError.h"
#include "model/UnicodeScalars.h"
#include "platform/PathText.h"
#include "records/FileEvidence.h"

namespace orvane {

namespace {

// A world manifest lists at most 500000 files; this leaves room for long paths without reading
// an arbitrarily large file into memory.
constexpr std::uint64_t kManifestByteLimit = std::uint64_t(512) << 20;

} // namespace

BackupReader::BackupReader(std::filesystem::path root, std::shared_ptr<FileOperations> fileOperations,
                           std::filesystem::path temporaryFolder)
    : m_root(std::move(root))
    , m_files(std::move(fileOperations))
    , m_temporaryFolder(std::move(temporaryFolder))
{
}

BackupManifest BackupReader::readManifestIn(FileOperations& files, const std::filesystem::path& folder)
{
    const QByteArray bytes = files.readRegularFile(folder / "manifest.json", kManifestByteLimit, false);
    return fromJson<BackupManifest>(JsonReader::parse(bytes, QStringLiteral("BackupManifest")).object());
}

std::optional<ListedBackup> BackupReader::loadBackup(const std::optional<BackupManifest>& manifest) const
{
    if (!manifest)
        return std::nullopt;
    const QString& id = manifest->id;
    if (!isSafeBackupID(id))
        throw OrvaneError::backupCorrupt(QStringLiteral("unsafe backup id"));
    const std::filesystem::path folder = m_root / pathFromText(id);
    if (pathContainsSymbolicLink(folder, m_root))
        throw OrvaneError::backupCorrupt(QStringLiteral("snapshot directory escapes the backup store"));
    if (!itemExistsAt(folder / "manifest.json"))
        throw OrvaneError::backupCorrupt(QStringLiteral("missing manifest for ") + id);
    BackupManifest decoded = readManifestIn(*m_files, folder);
    if (decoded.id != id)
        throw OrvaneError::backupCorrupt(QStringLiteral("manifest id does not match its backup directory"));
    return ListedBackup{std::move(decoded), folder};
}

std::optional<std::filesystem::path> BackupReader::technicRoot(const std::filesystem::path& instanceRoot)
{
    const std::filesystem::path parent = standardised(instanceRoot).parent_path();
    if (parent.filename() != "modpacks")
        return std::nullopt;
    return parent.parent_path();
}

bool BackupReader::isSafeBackupID(const QString& id)
{
    const qsizetype bytes = id.toUtf8().size();
    if (bytes < 1 || bytes > 128 || id == QLatin1String(".") || id == QLatin1String(".."))
        return false;
    // "/" and the backslash are neither alphanumeric nor "-" or ".".
    return everyScalar(id, [](char32_t c) { return c == U'-' || c == U'.' || isLetterMarkOrNumber(c); });
}

} // namespace orvane
