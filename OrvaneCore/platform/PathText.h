#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// The one pair of conversions between file-system paths and text.
// Paths hold raw bytes; text must be valid UTF-8 to stand for one.

// The path as text. Bytes that are not UTF-8 become U+FFFD: fine for messages, never for records.
QString pathText(const std::filesystem::path& path);

// The path as text, or nothing when its bytes are not valid UTF-8 (it could not be written down faithfully).
std::optional<QString> exactPathText(const std::filesystem::path& path);

// The path whose bytes are the text's UTF-8 form.
std::filesystem::path pathFromText(const QString& text);

// Lexically normal, without a trailing "/" (except for the root itself); never resolves links.
std::filesystem::path standardised(const std::filesystem::path& path);
// True when `path` is already standardised, so that a caller may use its text as it is.
bool isStandardised(std::string_view path);
// The standardised bytes of the path written as `text`, made without a path when they are already
// standardised (the usual case).
std::string standardisedText(const QString& text);

// The folder a standardised absolute path lies in, and the name it has there, as parts of its text
// (no path is made: a restore asks this of every file several times).
std::string_view folderText(std::string_view path);
std::string_view nameText(std::string_view path);

// The text of `folder / relative`, made without a path, for a relative path that does not begin with
// "/". For a standardised folder other than "" and a relative path with no empty, "." or ".." piece,
// the result is standardised and lies strictly inside `folder`.
std::string joinedText(const std::filesystem::path& folder, std::string_view relative);

// True when `path` lies strictly inside `root`, both standardised: root + "/" is a prefix of path.
bool isContained(const std::filesystem::path& path, const std::filesystem::path& root);

// True when `path` is `root` or lies inside it.
bool isSameOrContained(const std::filesystem::path& path, const std::filesystem::path& root);

} // namespace orvane
