#include "json/JsonCodecs.h"

#include "json/DecodingError.h"
#include "platform/PathText.h"

#include <QRegularExpression>

#include <cmath>

namespace orvane {

QString isoDateText(const QDateTime& date)
{
    QDateTime utc = date.toUTC();
    utc.setTime(QTime(utc.time().hour(), utc.time().minute(), utc.time().second()));
    return utc.toString(Qt::ISODate);
}

QJsonValue toJsonDate(const QDateTime& date)
{
    if (!date.isValid())
        throw EncodingError(QStringLiteral("An invalid date cannot be written as JSON."));
    return isoDateText(date);
}

QString uuidText(const QUuid& uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

QJsonValue toJsonUuid(const QUuid& uuid)
{
    return uuidText(uuid);
}

QJsonValue toJsonPath(const std::filesystem::path& path)
{
    const auto text = exactPathText(path);
    if (!text)
        throw EncodingError(QStringLiteral("The path %1 is not valid UTF-8 and cannot be recorded.").arg(pathText(path)));
    return *text;
}

QJsonValue toJsonNumber(double value)
{
    if (!std::isfinite(value))
        throw EncodingError(QStringLiteral("A number that is not finite cannot be written as JSON."));
    return value;
}

QJsonValue toJsonInteger(std::int64_t value)
{
    return QJsonValue(qint64(value));
}

QJsonValue toJsonUnsigned(std::uint64_t value)
{
    if (value <= std::uint64_t(INT64_MAX))
        return QJsonValue(qint64(value));
    // The top 1024 values round up to 2^64, which no reader accepts: write the largest double below it.
    constexpr double twoTo64 = 18446744073709551616.0;
    const double d = double(value);
    return QJsonValue(d < twoTo64 ? d : std::nextafter(twoTo64, 0.0));
}

QJsonArray toJsonStringArray(const std::vector<QString>& values)
{
    QJsonArray array;
    for (const auto& v : values)
        array.append(v);
    return array;
}

void throwDecoding(const QString& what, const QString& problem)
{
    throw DecodingError(QStringLiteral("Invalid JSON at %1: %2.").arg(what, problem));
}

namespace {

QString typeName(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Bool: return QStringLiteral("a boolean");
    case QJsonValue::Double: return QStringLiteral("a number");
    case QJsonValue::String: return QStringLiteral("a string");
    case QJsonValue::Array: return QStringLiteral("an array");
    case QJsonValue::Object: return QStringLiteral("an object");
    case QJsonValue::Undefined: return QStringLiteral("missing");
    }
    return QStringLiteral("unknown");
}

[[noreturn]] void wrongType(const QJsonValue& value, const QString& what, const char* expected)
{
    throwDecoding(what, QStringLiteral("expected %1, found %2").arg(QLatin1String(expected), typeName(value)));
}

} // namespace

QString decodeString(const QJsonValue& value, const QString& what)
{
    if (!value.isString())
        wrongType(value, what, "a string");
    return value.toString();
}

bool decodeBool(const QJsonValue& value, const QString& what)
{
    if (!value.isBool())
        wrongType(value, what, "a boolean");
    return value.toBool();
}

double decodeNumber(const QJsonValue& value, const QString& what)
{
    if (!value.isDouble())
        wrongType(value, what, "a number");
    const double d = value.toDouble();
    if (!std::isfinite(d))
        throwDecoding(what, QStringLiteral("the number is not finite"));
    return d;
}

std::int64_t decodeInteger(const QJsonValue& value, const QString& what, std::int64_t min, std::int64_t max)
{
    if (!value.isDouble())
        wrongType(value, what, "an integer");
    // toInteger answers its default for anything that is not a whole number representable in 64 bits.
    const qint64 a = value.toInteger(0);
    const qint64 b = value.toInteger(1);
    if (a != b)
        throwDecoding(what, QStringLiteral("expected an integer"));
    if (a < min || a > max)
        throwDecoding(what, QStringLiteral("%1 is out of range").arg(a));
    return a;
}

std::uint64_t decodeUnsigned(const QJsonValue& value, const QString& what)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        // Above the signed range the parser holds a double; accept it only when it is whole and fits.
        if (d >= 9223372036854775808.0 && d < 18446744073709551616.0 && std::floor(d) == d)
            return std::uint64_t(d);
    }
    return std::uint64_t(decodeInteger(value, what, 0));
}

std::optional<QDateTime> parseIsoDate(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{4})-(\\d{2})-(\\d{2})T(\\d{2}):(\\d{2}):(\\d{2})(\\.\\d{1,9})?(Z|[+-]\\d{2}:\\d{2})\\z"));
    const auto m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    int offsetSeconds = 0;
    const QString zone = m.captured(8);
    if (zone != QLatin1String("Z")) {
        const int hours = zone.mid(1, 2).toInt();
        const int minutes = zone.mid(4, 2).toInt();
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        offsetSeconds = (hours * 60 + minutes) * 60 * (zone.startsWith(QLatin1Char('-')) ? -1 : 1);
    }
    // The offset is applied by hand: QTimeZone refuses offsets beyond 14 hours, and a date built
    // with such a zone would silently read as UTC.
    QDateTime result = QDateTime(date, time, Qt::UTC).addSecs(-offsetSeconds);
    if (!m.captured(7).isEmpty()) {
        const QString digits = m.captured(7).mid(1).leftJustified(3, QLatin1Char('0')).left(3);
        result = result.addMSecs(digits.toInt());
    }
    return result;
}

QDateTime decodeDate(const QJsonValue& value, const QString& what)
{
    const QString text = decodeString(value, what);
    const auto date = parseIsoDate(text);
    if (!date)
        throwDecoding(what, QStringLiteral("\"%1\" is not an ISO 8601 date").arg(text));
    return *date;
}

QUuid decodeUuid(const QJsonValue& value, const QString& what)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\z"));
    const QString text = decodeString(value, what);
    if (!pattern.match(text).hasMatch())
        throwDecoding(what, QStringLiteral("\"%1\" is not a UUID").arg(text));
    return QUuid::fromString(text);
}

std::filesystem::path decodePath(const QJsonValue& value, const QString& what)
{
    const QString text = decodeString(value, what);
    if (text.isEmpty() || text.contains(QChar(0)))
        throwDecoding(what, QStringLiteral("expected a file path"));
    return pathFromText(text);
}

QJsonObject decodeObject(const QJsonValue& value, const QString& what)
{
    if (!value.isObject())
        wrongType(value, what, "an object");
    return value.toObject();
}

QJsonArray decodeArray(const QJsonValue& value, const QString& what)
{
    if (!value.isArray())
        wrongType(value, what, "an array");
    return value.toArray();
}

} // namespace orvane
