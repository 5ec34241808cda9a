#pragma once

#include <QString>

#include <filesystem>

namespace orvane {

// Lowercase hexadecimal SHA-256 of a file, read in 1 MiB chunks.
// Open and read failures pass through as std::system_error.
QString sha256Hex(const std::filesystem::path& file);

} // namespace orvane
