#pragma once

#include "platform/FileOperations.h"

#include <QString>

#include <cstdint>
#include <filesystem>

namespace orvane::ReportCopy {

// Diagnostic reports are a few kilobytes; a larger file at the report's path is not read.
inline constexpr std::uint64_t maxReportBytes = 8 * 1024 * 1024;

// The text Copy report puts on the clipboard: the whole report file as UTF-8, or the preview shown
// when the file is missing, not a regular file (a FIFO never blocks), too large, unreadable or
// not UTF-8.
QString text(FileOperations& files, const std::filesystem::path& report, const QString& preview);

} // namespace orvane::ReportCopy
