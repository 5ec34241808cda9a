#include "model/ContentRegistry.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const ContentRegistry& registry)
{
    QJsonObject object;
    object.insert(QStringLiteral("version"), toJsonInteger(registry.version));
    object.insert(QStringLiteral("records"),
                  toJsonArray(registry.records, [](const ContentRightsRecord& r) { return toJson(r); }));
    return object;
}

template <>
ContentRegistry fromJson<ContentRegistry>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("ContentRegistry"));
    return ContentRegistry{
        r.integer(QStringLiteral("version")),
        r.list(QStringLiteral("records"), decodeContentRightsRecord),
    };
}

} // namespace orvane
