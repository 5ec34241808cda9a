#pragma once

#include "json/JsonCodecs.h"

#include <QByteArray>
#include <QJsonObject>

#include <functional>

namespace orvane {

// Strict reading of one JSON object. Required fields that are missing, null or of the wrong type
// throw DecodingError; optional fields read as absent when missing or null. Unknown keys are ignored.
class JsonReader final {
public:
    // `context` names the record in error texts ("BackupManifest").
    JsonReader(const QJsonValue& value, QString context);

    // Parses a whole document whose top level must be an object.
    static JsonReader parse(const QByteArray& bytes, const QString& context);

    const QJsonObject& object() const { return m_object; }
    // Present and not null.
    bool has(const QString& key) const;
    // The value of a required key (present and not null).
    QJsonValue required(const QString& key) const;

    // These name the value (which costs a string per field) only when it is refused: a world
    // manifest holds tens of thousands of records.
    QString string(const QString& key) const
    {
        const QJsonValue value = required(key);
        return value.isString() ? value.toString() : decodeString(value, name(key));
    }
    bool boolean(const QString& key) const { return decodeBool(required(key), name(key)); }
    double number(const QString& key) const { return decodeNumber(required(key), name(key)); }
    std::int64_t integer(const QString& key, std::int64_t min = INT64_MIN, std::int64_t max = INT64_MAX) const;
    std::uint64_t unsignedInteger(const QString& key) const { return decodeUnsigned(required(key), name(key)); }
    QDateTime date(const QString& key) const { return decodeDate(required(key), name(key)); }
    QUuid uuid(const QString& key) const { return decodeUuid(required(key), name(key)); }
    template <class E>
    E enumeration(const QString& key) const
    {
        return decodeEnum<E>(required(key), name(key));
    }
    std::vector<QString> strings(const QString& key) const;

    // A list whose elements are decoded by `decode(const QJsonValue&, const QString& what)`.
    template <class F>
    auto list(const QString& key, F&& decode) const
    {
        const QString listName = name(key);
        const QJsonArray array = decodeArray(required(key), listName);
        std::vector<decltype(decode(QJsonValue(), QString()))> out;
        out.reserve(std::size_t(array.size()));
        for (qsizetype i = 0; i < array.size(); ++i)
            out.push_back(decode(array.at(i), listName + QLatin1Char('[') + QString::number(i) + QLatin1Char(']')));
        return out;
    }

    // Absent when missing or null; otherwise decoded strictly with `decode(value, what)`.
    template <class F>
    auto optional(const QString& key, F&& decode) const -> std::optional<decltype(decode(QJsonValue(), QString()))>
    {
        if (!has(key))
            return std::nullopt;
        return decode(m_object.value(key), name(key));
    }

    std::optional<QString> optionalString(const QString& key) const { return optional(key, decodeString); }
    std::optional<bool> optionalBoolean(const QString& key) const { return optional(key, decodeBool); }
    std::optional<std::int64_t> optionalInteger(const QString& key) const
    {
        return optional(key, [](const QJsonValue& v, const QString& w) { return decodeInteger(v, w); });
    }
    std::optional<QDateTime> optionalDate(const QString& key) const { return optional(key, decodeDate); }

private:
    QString name(const QString& key) const;

    QJsonObject m_object;
    QString m_context;
};

} // namespace orvane
