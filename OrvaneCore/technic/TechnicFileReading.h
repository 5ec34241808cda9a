#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

class FileOperations;

// Shared reading rules for the launcher's and the instance's small files.

// The largest Technic or instance file read whole. Real ones are a few kilobytes; anything
// larger is treated as unreadable rather than loaded into memory.
inline constexpr std::uint64_t technicFileByteLimit = 16 * 1024 * 1024;

// The bytes as UTF-8 text, or nothing when they are not valid UTF-8.
std::optional<QString> strictUtf8(const QByteArray& bytes);

// A JSON document whose top level is an object. `fileName` names the file in the errors:
// DecodingError for text that is not JSON, OrvaneError::io("<fileName> is not a JSON object")
// for another top level.
QJsonObject parseJsonObject(const QByteArray& bytes, const QString& fileName);

// The object of bytes that hold a JSON document whose top level is an object; nothing otherwise.
std::optional<QJsonObject> jsonObjectIfPossible(const QByteArray& bytes);

// Probe form for files whose failures only leave values absent: the object, or nothing when the
// file is missing, special, too large, not JSON or not an object.
std::optional<QJsonObject> readJsonObjectIfPossible(FileOperations& files, const std::filesystem::path& path);

// A plain existence test: a file or a folder, links followed (a broken link does not exist).
bool pathExists(const std::filesystem::path& path);

// Every entry of a folder (hidden ones too) in the order the file system gives them; nothing when
// it cannot be listed, also part way through.
std::optional<std::vector<std::filesystem::path>> listFolder(const std::filesystem::path& folder);

// A JSON number with no fraction, within the 64-bit range; anything else (true included) is absent.
std::optional<std::int64_t> exactInteger(const QJsonValue& value);
// A JSON number with its fraction cut off, when the result lies within the 64-bit range.
std::optional<std::int64_t> truncatedInteger(const QJsonValue& value);

// The permission bits of the file at `path` (links followed), or `fallback` when there is none,
// so that rewriting a user's file keeps who may read it.
mode_t existingModeOr(const std::filesystem::path& path, mode_t fallback);

} // namespace orvane
