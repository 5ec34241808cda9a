#include "model/OrvanePaths.h"

#include "platform/PathText.h"

namespace orvane {

std::filesystem::path OrvanePaths::dataHome(const std::filesystem::path& home, const ProcessEnvironment& environment)
{
    const auto found = environment.find(QStringLiteral("XDG_DATA_HOME"));
    if (found != environment.end()) {
        const std::filesystem::path value = pathFromText(found->second);
        if (value.is_absolute())
            return standardised(value);
    }
    return home / ".local" / "share";
}

OrvanePaths::OrvanePaths(const std::filesystem::path& home, const ProcessEnvironment& environment)
    : applicationSupport(dataHome(home, environment) / "orvane")
    , backups(applicationSupport / "backups")
    , diagnostics(applicationSupport / "diagnostics")
{
}

} // namespace orvane
