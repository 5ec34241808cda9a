#include "records/BackupReader.h"

#include "model/OrvaneError.h"
#include "platform/FolderDescriptorCache.h"
#include "platform/PathText.h"
#include "records/BackupStoreTexts.h"
#include "records/OutOfOpenFiles.h"

#include <set>
#include <string>
#include <unordered_set>

namespace orvane {

namespace {

[[noreturn]] void refuse(const QString& text)
{
    throw OrvaneError::backupCorrupt(text);
}

// True when `path` is reached through a link; a look that could not be made for want of descriptors
// is reported as such, never taken for a path without links.
bool throughLink(FolderDescriptorCache& folders, std::string_view path)
{
    const auto look = folders.look(path);
    if (!look.throughLink && isOutOfOpenFiles(look.error))
        throw outOfOpenFiles(std::filesystem::path(path));
    return look.throughLink;
}

// One restore's destinations, checked in the order a manifest lists them; the first refusal is the
// text the user sees.
class RestorePlan final {
public:
    RestorePlan(const BackupManifest& manifest, const std::filesystem::path& directory,
                const std::filesystem::path& instanceRoot, const std::optional<std::filesystem::path>& technicDataRoot)
        : m_instance(recordedInstance(manifest, instanceRoot))
        , m_world(manifest.kind == BackupKind::saves)
        , m_folder(standardised(directory))
        , m_instanceFolders(m_instance)
    {
        if (technicDataRoot && technicDataRoot->is_absolute()) {
            const std::filesystem::path technic = standardised(*technicDataRoot);
            m_settingsTarget = standardised(technic / "settings.json");
            m_technicFolders.emplace(technic);
        }
    }

    // Paths are compared as text: a safe relative path joined to a standardised folder is standardised
    // and lies inside it, and a world has tens of thousands of paths to check.
    void checkFile(const BackupFile& file)
    {
        const QString& relative = file.relativePath;
        if (!BackupReader::isSafeRelativeBackupPath(relative))
            refuse(QStringLiteral("unsafe relative path ") + relative);
        if (!m_relatives.insert(relative).second)
            refuse(QStringLiteral("duplicate relative path ") + relative);
        if (m_folder.empty())
            refuse(QStringLiteral("backup path escapes its snapshot directory"));
        const std::string destination = standardisedText(file.originalPath);
        if (!m_destinations.insert(destination).second)
            refuse(QStringLiteral("duplicate restore destination ") + pathText(destination));
        if (relative == backupTexts::technicSettingsPath)
            checkSettings(destination);
        else
            checkInstanceFile(relative, destination);
    }

    void checkCreatedPaths(const std::vector<QString>& createdPaths)
    {
        if (m_world && !createdPaths.empty())
            refuse(QStringLiteral("world backup may not delete overlay-created paths"));
        // Apply Balanced creates only these files; a restore deletes nothing else (never a world save).
        const std::set<std::filesystem::path> overlayFiles{m_instance / "options.txt", m_instance / "bin/runData"};
        for (const auto& created : createdPaths) {
            const std::filesystem::path path = standardised(pathFromText(created));
            if (!isContained(path, m_instance))
                refuse(QStringLiteral("created path is outside the selected instance"));
            // It would be restored and then deleted, and the restore would still report success.
            if (m_destinations.count(path.native()))
                refuse(QStringLiteral("created path is also a restore destination"));
            if (!overlayFiles.count(path))
                refuse(QStringLiteral("created path is not an overlay file"));
            if (throughLink(m_instanceFolders, path.native()))
                refuse(QStringLiteral("created path contains a symbolic link"));
        }
    }

private:
    // The instance, standardised, when it is the one the manifest records; refused before anything is opened.
    static std::filesystem::path recordedInstance(const BackupManifest& manifest,
                                                  const std::filesystem::path& instanceRoot)
    {
        // Recorded paths are taken as written: a relative one would depend on the working folder.
        std::filesystem::path instance = standardised(instanceRoot);
        if (!instance.is_absolute() || standardised(pathFromText(manifest.instanceRoot)) != instance)
            refuse(QStringLiteral("backup belongs to a different instance"));
        return instance;
    }

    void checkSettings(const std::string& destination)
    {
        if (m_world)
            refuse(QStringLiteral("world backup targets Technic settings"));
        if (!m_settingsTarget || destination != m_settingsTarget->native())
            refuse(QStringLiteral("Technic settings path does not match the selected instance"));
        if (throughLink(*m_technicFolders, destination))
            refuse(QStringLiteral("Technic settings path contains a symbolic link"));
    }

    void checkInstanceFile(const QString& relative, const std::string& destination)
    {
        if (m_world && !relative.startsWith(QLatin1String("saves/")))
            refuse(QStringLiteral("world backup targets a non-save path"));
        if (destination != joinedText(m_instance, relative.toStdString()))
            refuse(QStringLiteral("restore destination does not match ") + relative);
        if (throughLink(m_instanceFolders, destination))
            refuse(QStringLiteral("restore destination contains a symbolic link"));
    }

    const std::filesystem::path m_instance;
    const bool m_world;
    const std::filesystem::path m_folder;
    std::optional<std::filesystem::path> m_settingsTarget;
    // Each destination folder is checked for links once, whatever number of files it receives.
    FolderDescriptorCache m_instanceFolders;
    std::optional<FolderDescriptorCache> m_technicFolders;
    // Hashed: a world has tens of thousands of files, and paths compare slowly part by part.
    std::unordered_set<QString> m_relatives;
    std::unordered_set<std::string> m_destinations; // standardised, so equal text is the same path
};

} // namespace

void BackupReader::planRestore(const BackupManifest& manifest, const std::filesystem::path& directory,
                               const std::filesystem::path& instanceRoot,
                               const std::optional<std::filesystem::path>& technicDataRoot) const
{
    RestorePlan plan(manifest, directory, instanceRoot, technicDataRoot);
    for (const auto& file : manifest.files)
        plan.checkFile(file);
    plan.checkCreatedPaths(manifest.createdPaths);
}

} // namespace orvane
