#include "ui/details/DetailRowText.h"

#include "platform/PathText.h"

namespace orvane {

QString lastPathComponentText(const std::filesystem::path& path)
{
    const std::filesystem::path normal = standardised(path);
    const std::filesystem::path name = normal.filename();
    return pathText(name.empty() ? normal : name);
}

} // namespace orvane
