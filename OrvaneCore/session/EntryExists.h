#pragma once

#include <filesystem>

namespace orvane {

// Exists as anything, a link included: a dangling link is not mistaken for a missing file and
// written over, nor left behind as if nothing were there.
bool entryExists(const std::filesystem::path& path);

} // namespace orvane
