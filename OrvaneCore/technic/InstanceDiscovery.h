#pragma once

#include "technic/TechnicLocation.h"

#include <QStringList>

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace orvane {

class FileOperations;

// Finds a certified Tekkit 2 instance without asking the user: the folder chosen earlier, the pack
// folder in the launcher's modpacks folder, or a kept archive copy under Documents. A candidate
// counts only when its bin/version names the certified pack version.
class InstanceDiscovery final {
public:
    // Pack folder names tried in dataRoot/"modpacks", in order.
    static const QStringList modpacksNames;

    InstanceDiscovery(std::shared_ptr<FileOperations> fileManager, std::filesystem::path home);

    // The explicit folder when certified, else the first certified modpacks candidate, else the
    // first certified archive copy. Never throws.
    std::optional<std::filesystem::path> discover(const TechnicLocation& location,
                                                  const std::optional<std::filesystem::path>& explicitInstance) const;

    bool isCertifiedInstance(const std::filesystem::path& folder) const;
    std::optional<std::filesystem::path> modpacksCandidates(const std::filesystem::path& dataRoot) const;
    // home/Documents/Minecraft Backups/Tekkit 2/<entry>/original-instance of every entry that is
    // certified, sorted by path.
    std::vector<std::filesystem::path> archiveCandidates() const;
    // home/Documents/Minecraft Backups/Tekkit 2.
    std::filesystem::path archiveFolder() const;

    const std::filesystem::path& home() const { return m_home; }

private:
    std::shared_ptr<FileOperations> m_files;
    std::filesystem::path m_home;
};

} // namespace orvane
