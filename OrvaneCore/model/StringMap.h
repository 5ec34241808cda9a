#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <map>

namespace orvane {

// Option names to values; compared as a map, so the order entries were added in does not matter.
using StringMap = std::map<QString, QString>;

QJsonObject toJsonStringMap(const StringMap& map);
// A JSON object whose values are all strings; anything else throws DecodingError.
StringMap decodeStringMap(const QJsonValue& value, const QString& what);

} // namespace orvane
