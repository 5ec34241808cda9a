#pragma once

#include "model/CapabilityReport.h"
#include "model/InstallInspection.h"
#include "model/OverlayPlan.h"

#include <QString>

#include <cstdint>

namespace orvane {

// Fits the shipped Balanced profile to this machine and install: the game options (with a GUI scale
// for the display), the Java heap and its Technic memory id, the Use Mojang Java switch and the notes
// the user reads. Writes nothing and keeps nothing: every call reads the profile again.
namespace PlanResolver {

// Throws OrvaneError::invalidProfile when the profile is missing from the core's resources or holds
// an option options.txt cannot store; the profile's read or decode error as it comes.
OverlayPlan resolve(const CapabilityReport& capability, const InstallInspection& inspection);

// The heap the rule aims at: 3072 MB below 12 GiB of memory, else a quarter of it, at most 8192 MB.
std::int64_t targetHeapMegabytes(std::int64_t physicalMegabytes);

// "balanced.profile.json is missing from the bundle."
QString missingProfileText();

} // namespace PlanResolver

} // namespace orvane
