#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace orvane {

// Lowercase hexadecimal SHA-256 of a file, read in 1 MiB chunks.
// Open and read failures pass through as std::system_error.
QString sha256Hex(const std::filesystem::path& file);

// Each digest byte as two lowercase hexadecimal digits; callers join them.
QStringList hexByteStrings(const QByteArray& digest);

// hexByteStrings joined with no separator.
QString hexDigest(const QByteArray& digest);

} // namespace orvane
