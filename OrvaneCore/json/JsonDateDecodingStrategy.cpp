#include "json/JsonDateDecodingStrategy.h"

#include "json/JsonCodecs.h"

#include <cmath>

namespace orvane {

namespace {

// The range of ECMAScript dates: far beyond any real document and well inside what QDateTime
// and a 64-bit millisecond count hold, so the conversion below cannot overflow.
constexpr double maximumMilliseconds = 8.64e15;
constexpr double secondsFrom1970To2001 = 978307200.0;

QDateTime fromMilliseconds(double milliseconds, const QString& what)
{
    if (!std::isfinite(milliseconds) || std::fabs(milliseconds) > maximumMilliseconds)
        throwDecoding(what, QStringLiteral("the date is out of range"));
    return QDateTime::fromMSecsSinceEpoch(std::llround(milliseconds), Qt::UTC);
}

} // namespace

QDateTime decodeDateUsing(const QJsonValue& value, const QString& what, JsonDateDecodingStrategy strategy)
{
    switch (strategy) {
    case JsonDateDecodingStrategy::iso8601:
        return decodeDate(value, what);
    case JsonDateDecodingStrategy::secondsSince1970:
        return fromMilliseconds(decodeNumber(value, what) * 1000.0, what);
    case JsonDateDecodingStrategy::millisecondsSince1970:
        return fromMilliseconds(decodeNumber(value, what), what);
    case JsonDateDecodingStrategy::secondsSince2001:
        return fromMilliseconds((decodeNumber(value, what) + secondsFrom1970To2001) * 1000.0, what);
    }
    throwDecoding(what, QStringLiteral("unknown date strategy"));
}

} // namespace orvane
