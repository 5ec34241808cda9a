#pragma once

#include <QDateTime>
#include <QJsonValue>
#include <QString>

namespace orvane {

// How a reader of outside JSON turns a date value into a date; the writer of the document chooses.
enum class JsonDateDecodingStrategy {
    iso8601,               // a string such as "2026-12-08T07:21:08Z"
    secondsSince1970,      // a number, fractions allowed
    millisecondsSince1970, // a number, fractions allowed
    secondsSince2001,      // a number of seconds since 2001-01-01T00:00:00Z: the usual default of Apple's coders
};

// A date read with `strategy`; the wrong type, a non-finite number or a date beyond
// ±100,000,000 days of 1970 throws DecodingError naming `what`. The result is UTC, to the millisecond.
QDateTime decodeDateUsing(const QJsonValue& value, const QString& what, JsonDateDecodingStrategy strategy);

} // namespace orvane
