#include "app/AppEnvironment.h"

#include "technic/MacCapabilityDetector.h"

namespace orvane {

AppEnvironment AppEnvironment::current()
{
    return AppEnvironment{currentProcessEnvironment(), MacCapabilityDetector::defaultHome()};
}

} // namespace orvane
