#include "platform/HostArchitecture.h"

#include <sys/utsname.h>

namespace orvane {

QString normalisedArchitecture(std::string_view machine)
{
    if (machine.empty())
        return QStringLiteral("unknown");
    if (machine == "aarch64" || machine == "arm64")
        return QStringLiteral("arm64");
    return QString::fromUtf8(machine.data(), qsizetype(machine.size()));
}

QString hostArchitecture()
{
    struct utsname names {};
    if (::uname(&names) != 0)
        return QStringLiteral("unknown");
    return normalisedArchitecture(names.machine);
}

} // namespace orvane
