#include "technic/MachOFile.h"

#include "platform/ExecutableArchitecture.h"

namespace orvane::MachOFile {

std::optional<QString> architecture(const std::filesystem::path& path)
{
    return executableArchitecture(path);
}

bool isArm64(const std::optional<QString>& architecture)
{
    return architecture == QStringLiteral("arm64");
}

bool isX86_64(const std::optional<QString>& architecture)
{
    return architecture == QStringLiteral("x86_64");
}

bool isArm64Capable(const std::filesystem::path& path)
{
    return executableRunsOnArm64(path);
}

} // namespace orvane::MachOFile
