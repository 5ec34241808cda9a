#pragma once

#include <QByteArray>
#include <QDateTime>

#include <filesystem>

namespace orvane::test {

// Writers that play a program writing its logs while they are watched.

// Appends `bytes` to the file, creating it (and its folders) when missing.
void appendFile(const std::filesystem::path& path, const QByteArray& bytes);
// Puts a new file with `bytes` under the name, as a log rotation does (another inode).
void replaceFile(const std::filesystem::path& path, const QByteArray& bytes);
// Cuts the file down to `size` bytes in place (same inode).
void truncateFile(const std::filesystem::path& path, std::uintmax_t size);
// Sets the file's modification date.
void setModified(const std::filesystem::path& path, const QDateTime& date);

} // namespace orvane::test
