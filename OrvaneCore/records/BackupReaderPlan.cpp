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

} // namespace

void BackupReader::planRestore(const BackupManifest& manifest, const std::filesystem::path& directory,
                              const std::filesystem::path& instanceRoot,
                              const std::optional<std::filesystem::path>& technicDataRoot) const
{
    // Recorded paths are taken as written: a relative one would depend on the working folder.
    const std::filesystem::path instance = standardised(instanceRoot);
    const std::filesystem::path recorded = standardised(pathFromText(manifest.instanceRoot));
    if (!instance.is_absolute() || recorded != instance)
        refuse(QStringLiteral("backup belongs to a different instance"));

    std::optional<std::filesystem::path> technic;
    std::optional<std::filesystem::path> settingsTarget;
    if (technicDataRoot && technicDataRoot->is_absolute()) {
        technic = standardised(*technicDataRoot);
        settingsTarget = standardised(*technic / "settings.json");
    }
    const bool world = manifest.kind == BackupKind::saves;
    const std::filesystem::path folder = standardised(directory);

    // Each destination folder is checked for links once, whatever number of files it receives.
    FolderDescriptorCache instanceFolders(instance);
    std::optional<FolderDescriptorCache> technicFolders;
    if (technic)
        technicFolders.emplace(*technic);

    // Hashed: a world has tens of thousands of files, and paths compare slowly part by part.
    std::unordered_set<QString> relatives;
    std::unordered_set<std::string> destinations; // standardised, so equal text is the same path
    // Paths are compared as text: a safe relative path joined to a standardised folder is standardised
    // and lies inside it, and a world has tens of thousands of paths to check.
    for (const auto& file : manifest.files) {
        const QString& relative = file.relativePath;
        if (!isSafeRelativeBackupPath(relative))
            refuse(QStringLiteral("unsafe relative path ") + relative);
        if (!relatives.insert(relative).second)
            refuse(QStringLiteral("duplicate relative path ") + relative);
        if (folder.empty())
            refuse(QStringLiteral("backup path escapes its snapshot directory"));
        const std::string relativeText = relative.toStdString();
        const std::string destination = standardisedText(file.originalPath);
        if (!destinations.insert(destination).second)
            refuse(QStringLiteral("duplicate restore destination ") + pathText(destination));

        if (relative == backupTexts::technicSettingsPath) {
            if (world)
                refuse(QStringLiteral("world backup targets Technic settings"));
            if (!settingsTarget || destination != settingsTarget->native())
                refuse(QStringLiteral("Technic settings path does not match the selected instance"));
            if (throughLink(*technicFolders, destination))
                refuse(QStringLiteral("Technic settings path contains a symbolic link"));
        } else {
            if (world && !relative.startsWith(QLatin1String("saves/")))
                refuse(QStringLiteral("world backup targets a non-save path"));
            if (destination != joinedText(instance, relativeText))
                refuse(QStringLiteral("restore destination does not match ") + relative);
            if (throughLink(instanceFolders, destination))
                refuse(QStringLiteral("restore destination contains a symbolic link"));
        }
    }

    if (world && !manifest.createdPaths.empty())
        refuse(QStringLiteral("world backup may not delete overlay-created paths"));
    // Apply Balanced creates only these files; a restore deletes nothing else (never a world save).
    const std::set<std::filesystem::path> overlayFiles{instance / "options.txt", instance / "bin/runData"};
    for (const auto& created : manifest.createdPaths) {
        const std::filesystem::path path = standardised(pathFromText(created));
        if (!isContained(path, instance))
            refuse(QStringLiteral("created path is outside the selected instance"));
        // It would be restored and then deleted, and the restore would still report success.
        if (destinations.count(path.native()))
            refuse(QStringLiteral("created path is also a restore destination"));
        if (!overlayFiles.count(path))
            refuse(QStringLiteral("created path is not an overlay file"));
        if (throughLink(instanceFolders, path.native()))
            refuse(QStringLiteral("created path contains a symbolic link"));
    }
}

} // namespace orvane
