#pragma once

namespace orvane {

// The Technic Platform's public web site, named in user-facing texts and official links.
inline constexpr char technicSiteDomain[] = "technicpack.net";

} // namespace orvane
