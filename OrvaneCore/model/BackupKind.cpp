#include "model/BackupKind.h"

#include "json/JsonCodecs.h"

namespace orvane {

QJsonValue toJson(BackupKind kind)
{
    return toJsonEnum(kind);
}

template <>
BackupKind fromJson<BackupKind>(const QJsonValue& value)
{
    return decodeEnum<BackupKind>(value, QStringLiteral("BackupKind"));
}

} // namespace orvane
