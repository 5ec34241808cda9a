#include "app/AppEnvironment.h"

#include "platform/HostArchitecture.h"
#include "technic/LauncherJavaReadiness.h"
#include "technic/MacCapabilityDetector.h"

namespace orvane {

AppEnvironment AppEnvironment::current()
{
    return AppEnvironment{currentProcessEnvironment(), MacCapabilityDetector::defaultHome(),
                          orvane::hostArchitecture(), LauncherJavaReadiness::defaultJvmRoot()};
}

} // namespace orvane
