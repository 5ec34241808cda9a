#include "technic/InstanceDiscovery.h"

#include "model/CertifiedPack.h"
#include "platform/FileOperations.h"
#include "platform/PathText.h"
#include "technic/InstanceBinFiles.h"
#include "technic/TechnicFileReading.h"

#include <algorithm>

namespace orvane {

const QStringList InstanceDiscovery::modpacksNames = {QStringLiteral("tekkit-2"), QStringLiteral("tekkit2"),
                                                      QStringLiteral("Tekkit 2")};

InstanceDiscovery::InstanceDiscovery(std::shared_ptr<FileOperations> fileManager, std::filesystem::path home)
    : m_files(std::move(fileManager))
    , m_home(std::move(home))
{
}

std::optional<std::filesystem::path> InstanceDiscovery::discover(
    const TechnicLocation& location, const std::optional<std::filesystem::path>& explicitInstance) const
{
    if (explicitInstance && isCertifiedInstance(*explicitInstance))
        return explicitInstance;
    if (location.dataRoot) {
        if (auto found = modpacksCandidates(*location.dataRoot))
            return found;
    }
    const auto archives = archiveCandidates();
    if (!archives.empty())
        return archives.front();
    return std::nullopt;
}

bool InstanceDiscovery::isCertifiedInstance(const std::filesystem::path& folder) const
{
    return InstanceBinFiles::readPackVersion(folder, *m_files) == CertifiedPack::version;
}

std::optional<std::filesystem::path> InstanceDiscovery::modpacksCandidates(const std::filesystem::path& dataRoot) const
{
    for (const auto& name : modpacksNames) {
        const auto candidate = dataRoot / "modpacks" / pathFromText(name);
        if (isCertifiedInstance(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::filesystem::path InstanceDiscovery::archiveFolder() const
{
    return m_home / "Documents" / "Minecraft Backups" / "Tekkit 2";
}

std::vector<std::filesystem::path> InstanceDiscovery::archiveCandidates() const
{
    std::vector<std::filesystem::path> found;
    for (const auto& entry : listFolder(archiveFolder()).value_or(std::vector<std::filesystem::path>())) {
        const auto candidate = entry / "original-instance";
        if (isCertifiedInstance(candidate))
            found.push_back(candidate);
    }
    // Plain byte order of the paths: copies named by date sort oldest first.
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.native() < b.native(); });
    return found;
}

} // namespace orvane
