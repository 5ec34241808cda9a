#include "technic/RosettaSupport.h"

#include "platform/RosettaProbe.h"

namespace orvane::RosettaSupport {

bool isInstalled()
{
    return RosettaProbe::system()->isInstalled();
}

} // namespace orvane::RosettaSupport
