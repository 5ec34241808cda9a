#include "model/StringMap.h"

#include "json/JsonCodecs.h"

namespace orvane {

QJsonObject toJsonStringMap(const StringMap& map)
{
    QJsonObject object;
    for (const auto& [key, value] : map)
        object.insert(key, value);
    return object;
}

StringMap decodeStringMap(const QJsonValue& value, const QString& what)
{
    const QJsonObject object = decodeObject(value, what);
    StringMap map;
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        map.emplace(it.key(), decodeString(it.value(), QStringLiteral("%1.%2").arg(what, it.key())));
    return map;
}

} // namespace orvane
