#pragma once

#include "model/InstallInspection.h"
#include "platform/FileOperations.h"

#include <filesystem>

namespace orvane {

// What Apply Balanced and the overlay restore both do to the overlay target files before they
// change any of them.
namespace OverlayTargetChecks {

// A snapshot, a write and a restore of a file reached through a link would each treat the link
// differently (copy refused, write replacing the link, restore refusing it), so a failed change
// could not be undone. OrvaneError::overlayRefused, before anything is written.
void requireNoLinks(const InstallInspection& inspection, const std::filesystem::path& instance);

// What a write of an overlay file killed midway left beside it (an atomic write's temporary file,
// or the content a killed restore had written beside the file, and its own temporary file) goes.
// The targets must have been checked to be reached without links.
void removeWriteLeftovers(FileOperations& files, const InstallInspection& inspection,
                          const std::filesystem::path& instance);

} // namespace OverlayTargetChecks

} // namespace orvane
