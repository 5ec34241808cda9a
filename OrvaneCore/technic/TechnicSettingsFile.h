#pragma once

#include <QJsonObject>

#include <cstdint>
#include <filesystem>
#include <optional>

namespace orvane {

class FileOperations;

// The launcher's settings.json, handled as an untyped JSON object so that keys this program does
// not know survive a rewrite.
namespace TechnicSettingsFile {

// Throws the read error, a DecodingError for text that is not JSON, or
// OrvaneError::io("settings.json is not a JSON object").
QJsonObject read(const std::filesystem::path& path, FileOperations& files);

// Pretty-printed with sorted keys, written atomically (a failed write leaves the old file), keeping
// an existing file's permissions.
void write(const QJsonObject& settings, const std::filesystem::path& path, FileOperations& files);

// The memory setting id: an integer as it is, another number with its fraction cut off. A number
// beyond the 64-bit range, a string, a boolean or anything else: absent.
std::optional<std::int64_t> memory(const QJsonObject& settings);

} // namespace TechnicSettingsFile

} // namespace orvane
