#pragma once

#include "platform/FileOperations.h"

#include <QString>

#include <filesystem>
#include <optional>

namespace orvane {

// The innermost folder named "<something>.app" that holds `executable`; nothing outside any.
std::optional<std::filesystem::path> enclosingApplication(const std::filesystem::path& executable);

// The CFBundleIdentifier string of the Contents/Info.plist of the application holding `executable`.
// Nothing when the executable lies outside an application or the file is unreadable, malformed or
// holds no such string.
std::optional<QString> bundleIdentifier(const std::filesystem::path& executable, FileOperations& files);

} // namespace orvane
