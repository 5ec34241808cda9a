#include "records/BackupStore.h"

#include "records/BackupSequence.h"
#include "records/FileEvidence.h"

#include "json/JsonWriter.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "platform/SystemError.h"
#include "records/BackupStoreTexts.h"
#include "records/WorldRefusals.h"

#include <cerrno>
#include <system_error>

#include <sys/stat.h>

namespace orvane {

namespace {

// The exact text of a path that goes into a manifest.
QString recordedText(const std::filesystem::path& path)
{
    auto text = exactPathText(path);
    if (!text)
        throw unrecordableName(path);
    return *text;
}

std::filesystem::path absoluteStandardised(const std::filesystem::path& path)
{
    return standardised(std::filesystem::absolute(path));
}

// A world file as it is before and after its copy: a write, replacement or removal in between shows.
FileStamp sourceStamp(const std::filesystem::path& path)
{
    const auto stamp = stampIfPossible(path);
    if (!stamp)
        throw OrvaneError::backupCorrupt(backupTexts::worldChanged);
    return *stamp;
}

// The bytes the copies of `sources` take (what can still be looked at).
std::uint64_t sourceBytes(const std::vector<std::filesystem::path>& sources)
{
    std::uint64_t total = 0;
    for (const auto& source : sources) {
        if (const auto stamp = stampIfPossible(source))
            total += stamp->size;
    }
    return total;
}

} // namespace

OrvaneError unrecordableName(const std::filesystem::path& path)
{
    return OrvaneError::io(QStringLiteral("The name of %1 is not valid UTF-8, so Orvane cannot record it in a backup. "
                                          "Rename it and try again.")
                               .arg(pathText(path)));
}

BackupStore::BackupStore(std::filesystem::path root, std::shared_ptr<FileOperations> fileOperations,
                         std::filesystem::path temporaryFolder)
    : BackupReader(std::move(root), std::move(fileOperations), std::move(temporaryFolder))
    , m_clock([] { return QDateTime::currentDateTimeUtc(); })
{
}

QString BackupStore::makeBackupId(const QDateTime& date, const QUuid& uuid)
{
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HHmmss.zzz'Z'")) + QLatin1Char('-')
        + uuid.toString(QUuid::WithoutBraces).toLower();
}

QString BackupStore::relativeBackupPath(const std::filesystem::path& file, const std::filesystem::path& instanceRoot,
                                        const std::set<QString>& taken)
{
    const std::filesystem::path path = standardised(file);
    const QString outside = QStringLiteral("technic-root/") + recordedText(path.filename());
    if (!isContained(path, instanceRoot))
        return outside;
    std::string rest = path.native().substr(standardised(instanceRoot).native().size());
    rest.erase(0, rest.find_first_not_of('/'));
    const QString candidate = recordedText(rest);
    return taken.count(candidate) ? outside : candidate;
}

CopiedFile BackupStore::cloneOrCopyItem(const std::filesystem::path& source, const std::filesystem::path& target) const
{
    if (itemExistsAt(target))
        m_files->removeFile(target);
    return m_files->cloneOrCopy(source, target, false);
}

std::int64_t BackupStore::byteCount(const std::filesystem::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        throwErrno("stat", path);
    if (st.st_size < 0)
        throw OrvaneError::backupCorrupt(QStringLiteral("file is too large to record"));
    return std::int64_t(st.st_size);
}

BackupManifest BackupStore::createBackup(const std::vector<std::filesystem::path>& files,
                                         const std::filesystem::path& instanceRoot, BackupKind kind,
                                         const QString& notes, const std::vector<QString>& createdPaths)
{
    const StoreLock held = lock();
    recoverInterruptedWork(instanceRoot, std::nullopt, Purpose::backup);
    return assembleBackup(files, instanceRoot, kind, notes, createdPaths);
}

void BackupStore::copyIntoSnapshot(BackupManifest& manifest, const std::vector<std::filesystem::path>& sources,
                                   const std::vector<QString>& originalPaths, const std::filesystem::path& directory,
                                   const std::filesystem::path& instanceRoot)
{
    std::set<QString> taken;
    std::set<std::filesystem::path> folders{directory};
    const bool world = manifest.kind == BackupKind::saves;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const auto& source = sources[i];
        // A world file rewritten while it was copied gives a torn copy whose digest still "verifies":
        // its size or change time tells. A world file gone since the scan fails here.
        const FileStamp before = world ? sourceStamp(source) : FileStamp{};
        if (!world && !itemExistsAt(source))
            continue;
        const QString relative = relativeBackupPath(source, instanceRoot, taken);
        // Two sources on one relative path: the second copy would replace the first.
        if (taken.count(relative))
            throw OrvaneError::backupCorrupt(QStringLiteral("duplicate relative path ") + relative);
        taken.insert(relative);

        const std::filesystem::path target = directory / pathFromText(relative);
        if (folders.insert(target.parent_path()).second)
            m_files->createDirectories(target.parent_path());
        // The snapshot folder is new and every relative path taken once: nothing is at `target`.
        const CopiedFile copied = m_files->cloneOrCopy(source, target, false);
        if (world && (sourceStamp(source) != before || copied.byteCount != before.size))
            throw OrvaneError::backupCorrupt(backupTexts::worldChanged);
        if (copied.byteCount > std::uint64_t(INT64_MAX))
            throw OrvaneError::backupCorrupt(QStringLiteral("file is too large to record"));
        manifest.files.push_back(BackupFile{relative, originalPaths[i], copied.sha256, std::int64_t(copied.byteCount)});
    }
}

BackupManifest BackupStore::assembleBackup(const std::vector<std::filesystem::path>& files,
                                           const std::filesystem::path& instanceRoot, BackupKind kind,
                                           const QString& notes, const std::vector<QString>& createdPaths)
{
    std::vector<std::filesystem::path> sources;
    if (kind == BackupKind::saves) {
        sources = validateWorldSources(files, instanceRoot);
    } else {
        sources.reserve(files.size());
        for (const auto& file : files)
            sources.push_back(absoluteStandardised(file));
    }
    // Everything the manifest will hold must be exact text; refuse before anything is created.
    const QString instanceText = recordedText(instanceRoot);
    std::vector<QString> originalPaths;
    originalPaths.reserve(sources.size());
    for (const auto& source : sources)
        originalPaths.push_back(recordedText(source));

    m_files->createDirectories(m_root);
    const QDateTime createdAt = m_clock();
    const QString id = makeBackupId(createdAt, QUuid::createUuid());
    // Assembled under a name the listing never offers; it takes its id when complete.
    const std::filesystem::path directory = partialSnapshotFolder(id);
    m_files->createDirectories(directory);
    const std::filesystem::path final = m_root / pathFromText(id);
    bool renamed = false;

    try {
        BackupManifest manifest;
        manifest.id = id;
        manifest.createdAt = createdAt;
        manifest.instanceRoot = instanceText;
        manifest.notes = notes;
        manifest.kind = kind;
        manifest.sequence = nextBackupSequence(m_root);

        copyIntoSnapshot(manifest, sources, originalPaths, directory, instanceRoot);

        // A restore puts copied files back; listing one as created too would delete it afterwards.
        std::set<QString> copied;
        for (const auto& file : manifest.files)
            copied.insert(file.originalPath);
        for (const auto& created : createdPaths) {
            const QString text = recordedText(absoluteStandardised(pathFromText(created)));
            if (!copied.count(text))
                manifest.createdPaths.push_back(text);
        }

        m_files->writeAtomically(directory / "manifest.json", encodeJson(toJson(manifest)));
        verifySnapshot(manifest, directory);
        // The copies reach the disk before the snapshot appears under its id: a backup reported as
        // made survives a power loss. One flush of the store's file system costs less than one per copy.
        m_files->syncFileSystem(directory);
        m_files->moveNoReplace(directory, final);
        renamed = true;
        m_files->syncDirectory(m_root);
        return manifest;
    } catch (const std::system_error& error) {
        std::error_code ignored;
        std::filesystem::remove_all(renamed ? final : directory, ignored);
        // A world that does not fit: how much to free and where, now that the partial copy is gone.
        if (kind == BackupKind::saves && isOutOfSpace(error))
            throw backupNeedsSpace(spaceShortfall(*m_files, sourceBytes(sources), sources.size(), m_root), m_root);
        throw;
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(renamed ? final : directory, ignored);
        throw;
    }
}

} // namespace orvane
