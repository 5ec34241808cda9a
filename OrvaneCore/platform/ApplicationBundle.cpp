#include "platform/ApplicationBundle.h"

#include "platform/PlistReader.h"

namespace orvane {

std::optional<std::filesystem::path> enclosingApplication(const std::filesystem::path& executable)
{
    const auto path = executable.lexically_normal();
    for (auto folder = path.parent_path(); folder.has_relative_path(); folder = folder.parent_path()) {
        if (folder.filename().native().ends_with(".app"))
            return folder;
    }
    return std::nullopt;
}

std::optional<QString> bundleIdentifier(const std::filesystem::path& executable, FileOperations& files)
{
    const auto application = enclosingApplication(executable);
    if (!application)
        return std::nullopt;
    const auto strings = readPlistStringsFile(*application / "Contents" / "Info.plist", files);
    if (!strings)
        return std::nullopt;
    const auto found = strings->find(QStringLiteral("CFBundleIdentifier"));
    if (found == strings->end())
        return std::nullopt;
    return found->second;
}

} // namespace orvane
