#pragma once

#include <QString>

#include <string_view>

namespace orvane {

// A machine name as the rest of the system spells architectures: Linux calls arm64 "aarch64".
// An empty name reads "unknown"; any other name is kept as the kernel gives it.
QString normalisedArchitecture(std::string_view machine);

// The machine field of uname(2) for this host, normalised; "unknown" when uname fails.
QString hostArchitecture();

} // namespace orvane
