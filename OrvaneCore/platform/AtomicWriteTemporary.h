#pragma once

#include "platform/FileOperations.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The temporary file writeAtomically makes beside its target: ".<name>.orvane-tmp-" and six characters
// mkstemp chooses. Creation and clean-up both use these, so the two cannot drift apart.
namespace atomicWriteTemporary {

// The mkstemp pattern for a temporary file of `target`, in the target's folder.
std::string pattern(const std::filesystem::path& target);

// The name of the target whose temporary file `entryName` is, or nothing when it is not one.
std::optional<std::string_view> targetOf(std::string_view entryName);

// Removes from `folder` the temporary files an interrupted writeAtomically left for targets whose
// name `isTarget` accepts: regular files only, never a link, and never in a folder that is a link.
// What cannot be removed is left for the next time.
void removeTemporaries(FileOperations& files, const std::filesystem::path& folder,
                       const std::function<bool(std::string_view target)>& isTarget) noexcept;

} // namespace atomicWriteTemporary

} // namespace orvane
