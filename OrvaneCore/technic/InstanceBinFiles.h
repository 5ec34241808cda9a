#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>

namespace orvane {

class FileOperations;

// What the launcher leaves under an instance's bin/ folder. Every failure (missing, unreadable,
// special or huge file, not JSON, not an object, a value of another type) gives absent values,
// never an error.
namespace InstanceBinFiles {

// bin/runData: the Java the pack asks for and its minimum memory in megabytes.
struct RunData {
    std::optional<QString> java;
    std::optional<std::int64_t> memory;

    bool operator==(const RunData&) const = default;
};

// "version" of bin/version, for example 1.2.6.
std::optional<QString> readPackVersion(const std::filesystem::path& instance, FileOperations& files);
// "id" of bin/version.json, for example 1.12.2-forge-14.23.5.2860.
std::optional<QString> readForgeVersion(const std::filesystem::path& instance, FileOperations& files);
// "java" and "memory" of bin/runData.
RunData readRunData(const std::filesystem::path& instance, FileOperations& files);

// The same readings of bytes in hand.
std::optional<QString> parsePackVersion(const QByteArray& bytes);
std::optional<QString> parseForgeVersion(const QByteArray& bytes);
RunData parseRunData(const QByteArray& bytes);

// A decimal integer with an optional leading "+" or "-" and nothing else, within the 64-bit range.
std::optional<std::int64_t> decimalInteger(const QString& text);

} // namespace InstanceBinFiles

} // namespace orvane
