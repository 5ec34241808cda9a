#pragma once

namespace orvane {

// Whether this machine can run the x86_64 programs the game needs (Technic's Intel Java 8).
namespace RosettaSupport {

// Asks the system's probe afresh each time; never throws.
bool isInstalled();

} // namespace RosettaSupport

} // namespace orvane
