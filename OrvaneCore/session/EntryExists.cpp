#include "session/EntryExists.h"

#include <system_error>

namespace orvane {

bool entryExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

} // namespace orvane
