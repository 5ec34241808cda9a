#pragma once

#include "json/EnumNames.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

// Records: each record type T has, beside its definition,
//   QJsonObject toJson(const T&);                        // built from the writers below
//   template <> T fromJson<T>(const QJsonValue& value);  // built on JsonReader, strict
template <class T>
T fromJson(const QJsonValue& value);

// Writing values. Every record's toJson is built from these.

// "2026-12-08T07:21:08Z": UTC, whole seconds (a fraction is dropped).
QString isoDateText(const QDateTime& date);
QJsonValue toJsonDate(const QDateTime& date);
// Upper case 8-4-4-4-12.
QString uuidText(const QUuid& uuid);
QJsonValue toJsonUuid(const QUuid& uuid);
// The path's text; a path that is not UTF-8 throws EncodingError.
QJsonValue toJsonPath(const std::filesystem::path& path);
// A finite number; NaN and infinities throw EncodingError.
QJsonValue toJsonNumber(double value);
QJsonValue toJsonInteger(std::int64_t value);
// Values above the signed range are written as a double, never rounded up to 2^64, so every value reads back
// (to within the double's precision; such counts come only from saturated sums, not from real files).
QJsonValue toJsonUnsigned(std::uint64_t value);

template <class E>
QJsonValue toJsonEnum(E value)
{
    return enumName(value);
}

template <class T, class F>
QJsonArray toJsonArray(const std::vector<T>& values, F&& encode)
{
    QJsonArray array;
    for (const auto& v : values)
        array.append(encode(v));
    return array;
}

QJsonArray toJsonStringArray(const std::vector<QString>& values);

// Absent optionals are left out.
template <class T, class F>
void insertOptional(QJsonObject& object, const QString& key, const std::optional<T>& value, F&& encode)
{
    if (value)
        object.insert(key, encode(*value));
}

inline void insertOptional(QJsonObject& object, const QString& key, const std::optional<QString>& value)
{
    if (value)
        object.insert(key, *value);
}

// Reading single values strictly. `what` names the value in the error text ("createdAt").

QString decodeString(const QJsonValue& value, const QString& what);
bool decodeBool(const QJsonValue& value, const QString& what); // never a number
double decodeNumber(const QJsonValue& value, const QString& what);
// Integral and within [min, max]; 1.5, 1e300 and true are refused.
std::int64_t decodeInteger(const QJsonValue& value, const QString& what,
                           std::int64_t min = INT64_MIN, std::int64_t max = INT64_MAX);
std::uint64_t decodeUnsigned(const QJsonValue& value, const QString& what);
// ISO 8601 internet date-time with Z or an offset, optional fraction.
QDateTime decodeDate(const QJsonValue& value, const QString& what);
std::optional<QDateTime> parseIsoDate(const QString& text);
QUuid decodeUuid(const QJsonValue& value, const QString& what); // either case
std::filesystem::path decodePath(const QJsonValue& value, const QString& what);
QJsonObject decodeObject(const QJsonValue& value, const QString& what);
QJsonArray decodeArray(const QJsonValue& value, const QString& what);

[[noreturn]] void throwDecoding(const QString& what, const QString& problem);

template <class E>
E decodeEnum(const QJsonValue& value, const QString& what)
{
    const QString name = decodeString(value, what);
    if (const auto e = enumFromName<E>(name))
        return *e;
    throwDecoding(what, QStringLiteral("\"%1\" is not a known value").arg(name));
}

} // namespace orvane
