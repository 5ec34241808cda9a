#include "json/JsonWriter.h"

#include "json/DecodingError.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace orvane {

namespace {

void requireFinite(const QJsonValue& value)
{
    if (value.isDouble() && !std::isfinite(value.toDouble()))
        throw EncodingError(QStringLiteral("A number that is not finite cannot be written as JSON."));
    if (value.isArray()) {
        for (const auto& v : value.toArray())
            requireFinite(v);
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            requireFinite(it.value());
    }
}

QByteArray finish(const QJsonDocument& document)
{
    // No "/" can stand outside a string in JSON, so escaping every one is exact.
    return document.toJson(QJsonDocument::Indented).replace("/", "\\/");
}

} // namespace

QByteArray encodeJson(const QJsonObject& object)
{
    requireFinite(object);
    return finish(QJsonDocument(object));
}

} // namespace orvane
