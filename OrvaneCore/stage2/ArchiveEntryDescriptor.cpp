#include "stage2/ArchiveEntryDescriptor.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const ArchiveEntryDescriptor& entry)
{
    QJsonObject o;
    o.insert(QStringLiteral("relativePath"), entry.relativePath);
    o.insert(QStringLiteral("kind"), toJsonEnum(entry.kind));
    o.insert(QStringLiteral("compressedByteCount"), toJsonUnsigned(entry.compressedByteCount));
    o.insert(QStringLiteral("uncompressedByteCount"), toJsonUnsigned(entry.uncompressedByteCount));
    return o;
}

template <>
ArchiveEntryDescriptor fromJson<ArchiveEntryDescriptor>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("ArchiveEntryDescriptor"));
    ArchiveEntryDescriptor e;
    e.relativePath = r.string(QStringLiteral("relativePath"));
    e.kind = r.enumeration<ArchiveEntryKind>(QStringLiteral("kind"));
    e.compressedByteCount = r.unsignedInteger(QStringLiteral("compressedByteCount"));
    e.uncompressedByteCount = r.unsignedInteger(QStringLiteral("uncompressedByteCount"));
    return e;
}

} // namespace orvane
