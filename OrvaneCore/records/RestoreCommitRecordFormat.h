#pragma once

#include "platform/PathText.h"

#include <QString>

#include <cstdint>
#include <filesystem>

// What the commit record's writer (RestoreCommitRecord.cpp) and its reader
// (RestoreCommitRecordDecoding.cpp) must agree on beyond the entries themselves.
namespace orvane::commitRecordFormat {

// 1: every record without a "format" entry (so older builds still read those as they always did).
// 2: a record whose undo data includes a checked copy ("copied" entries), which a reader of format 1
// would take for a link. A newer format is not read: the record is damaged, and recovery changes
// nothing rather than undo on a guess.
inline constexpr std::int64_t newest = 2;

// Where a file lies when the record names no other place ("to"): below the instance at its relative path.
inline std::filesystem::path usualDestination(const std::filesystem::path& instanceRoot, const QString& relativePath)
{
    return standardised(instanceRoot / pathFromText(relativePath));
}

} // namespace orvane::commitRecordFormat
