#pragma once

#include <QString>

#include <filesystem>
#include <optional>

namespace orvane {

// The architecture of an executable from its header: "arm64", "x86_64" or "universal".
// Mach-O and fat files as macOS writes them, and ELF so a Linux JDK is judged as well.
namespace MachOFile {

std::optional<QString> architecture(const std::filesystem::path& path);
bool isArm64(const std::optional<QString>& architecture);
bool isX86_64(const std::optional<QString>& architecture);
// An arm64 executable, or a fat one with an arm64 slice.
bool isArm64Capable(const std::filesystem::path& path);

} // namespace MachOFile

} // namespace orvane
