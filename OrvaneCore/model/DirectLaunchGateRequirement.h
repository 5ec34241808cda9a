#pragma once

#include "json/EnumNames.h"

#include <array>

namespace orvane {

// One piece of evidence direct launch needs; written as the case name. Reports list them in this order.
enum class DirectLaunchGateRequirement {
    minecraftServicesApproval,
    technicWrittenAuthorization,
    completeContentRightsRegistry,
    namedSecurityReview,
};

template <>
struct EnumNames<DirectLaunchGateRequirement> {
    static constexpr std::array names{"minecraftServicesApproval", "technicWrittenAuthorization",
                                      "completeContentRightsRegistry", "namedSecurityReview"};
};

inline constexpr std::array allDirectLaunchGateRequirements{
    DirectLaunchGateRequirement::minecraftServicesApproval,
    DirectLaunchGateRequirement::technicWrittenAuthorization,
    DirectLaunchGateRequirement::completeContentRightsRegistry,
    DirectLaunchGateRequirement::namedSecurityReview,
};

} // namespace orvane
