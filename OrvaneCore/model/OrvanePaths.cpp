#include "model/OrvanePaths.h"

namespace orvane {

OrvanePaths::OrvanePaths(const std::filesystem::path& home)
    : applicationSupport(home / "Library" / "Application Support" / "orvane")
    , backups(applicationSupport / "backups")
    , diagnostics(applicationSupport / "diagnostics")
{
}

} // namespace orvane
