#pragma once

#include "json/EnumNames.h"
#include "json/JsonCodecs.h"

#include <QJsonObject>
#include <QString>

#include <array>
#include <cstdint>

namespace orvane {

enum class ArchiveEntryKind { file, directory, symbolicLink, hardLink, device, other };

template <>
struct EnumNames<ArchiveEntryKind> {
    static constexpr std::array names{"file", "directory", "symbolicLink", "hardLink", "device", "other"};
};

// One entry of an archive's table, as the archive states it.
struct ArchiveEntryDescriptor {
    QString relativePath;
    ArchiveEntryKind kind = ArchiveEntryKind::file;
    std::uint64_t compressedByteCount = 0;
    std::uint64_t uncompressedByteCount = 0;

    bool operator==(const ArchiveEntryDescriptor&) const = default;
};

QJsonObject toJson(const ArchiveEntryDescriptor& entry);
template <>
ArchiveEntryDescriptor fromJson<ArchiveEntryDescriptor>(const QJsonValue& value);

} // namespace orvane
