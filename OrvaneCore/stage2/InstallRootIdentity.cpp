#include "stage2/InstallRootIdentity.h"

#include "platform/PathText.h"
#include "stage2/InstallRootPaths.h"
#include "stage2/SafeRelativePath.h"

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>

namespace orvane {

InstallRootIdentity InstallRootIdentity::of(const std::filesystem::path& canonicalRoot, const MountTable& mounts)
{
    InstallRootIdentity identity;
    std::filesystem::path existing("/");
    struct stat info {};
    if (::lstat(existing.c_str(), &info) != 0)
        refuseInspection();
    identity.m_steps.push_back({info.st_dev, info.st_ino, QString()});

    QString missing;
    for (const auto& component : canonicalRoot.relative_path()) {
        if (component.empty())
            continue;
        if (missing.isEmpty()) {
            const std::filesystem::path next = existing / component;
            if (::lstat(next.c_str(), &info) == 0) {
                existing = next;
                identity.m_steps.push_back({info.st_dev, info.st_ino, QString()});
                continue;
            }
            if (errno != ENOENT && errno != ENOTDIR)
                refuseInspection();
        } else {
            missing += u'/';
        }
        missing += pathText(component);
        const Step& deepest = identity.m_steps.back();
        identity.m_steps.push_back({deepest.device, deepest.inode, pathCollisionKey(missing)});
    }

    const FileSystemLocation location = mounts.locate(existing);
    identity.m_device = location.device;
    QString path = withTrailingSlash(pathText(location.path));
    identity.m_locationKey = withTrailingSlash(pathCollisionKey(path + missing));
    return identity;
}

bool InstallRootIdentity::hasAncestorStep(const Step& step) const
{
    return std::find(m_steps.begin(), m_steps.end() - 1, step) != m_steps.end() - 1;
}

bool InstallRootIdentity::locationIsStrictlyInside(const InstallRootIdentity& other) const
{
    return m_device == other.m_device && m_locationKey.size() > other.m_locationKey.size()
        && m_locationKey.startsWith(other.m_locationKey);
}

bool InstallRootIdentity::isSameFolderAs(const InstallRootIdentity& other) const
{
    return m_steps.back() == other.m_steps.back()
        || (m_device == other.m_device && m_locationKey == other.m_locationKey);
}

bool InstallRootIdentity::isStrictlyInside(const InstallRootIdentity& other) const
{
    return hasAncestorStep(other.m_steps.back()) || locationIsStrictlyInside(other);
}

bool InstallRootIdentity::liesWithin(const InstallRootIdentity& other) const
{
    return hasAncestorStep(other.m_steps.back()) && locationIsStrictlyInside(other);
}

} // namespace orvane
