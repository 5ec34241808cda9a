#pragma once

namespace orvane {

// The launcher's, sign-in and download services and their subdomains, as a regular expression for a
// lower-case host: a failure to reach them is diagnosis, and they name no player's server.
inline constexpr char serviceHostsPattern[] =
    R"re((?:[a-z0-9-]+\.)*(?:technicpack\.net|mojang\.com|minecraft\.net|minecraftservices\.com|minecraftforge\.net|xboxlive\.com|live\.com|microsoftonline\.com))re";

} // namespace orvane
