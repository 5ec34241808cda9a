#pragma once

#include "platform/FileOperations.h"

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <map>
#include <optional>

namespace orvane {

// The string values of an XML property list's top-level dictionary, by key. Values of other kinds
// (numbers, booleans, arrays, nested dictionaries, data, dates) are passed over.
using PlistStrings = std::map<QString, QString>;

// Reads <plist><dict><key>…</key><string>…</string>…</dict></plist>. Nothing when the bytes are not
// well-formed XML of that shape (binary property lists included); entity expansion is bounded.
std::optional<PlistStrings> readPlistStrings(const QByteArray& xml);

// The same for a file of at most `maxBytes`; nothing when it is missing, special (a FIFO never
// hangs the read), larger or malformed.
constexpr std::uint64_t kMaxPlistBytes = 1 << 20;
std::optional<PlistStrings> readPlistStringsFile(const std::filesystem::path& file, FileOperations& files,
                                                 std::uint64_t maxBytes = kMaxPlistBytes);

} // namespace orvane
