#pragma once

#include <QByteArray>
#include <QJsonObject>

namespace orvane {

// The one encoder of the JSON records the core writes: pretty-printed, keys sorted, "/" written as
// "\/". Throws EncodingError when any number in the tree is not finite, so no file holds a
// null where a number was meant.
QByteArray encodeJson(const QJsonObject& object);

} // namespace orvane
