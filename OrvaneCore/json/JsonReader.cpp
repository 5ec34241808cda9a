#include "json/JsonReader.h"

#include "json/DecodingError.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace orvane {

JsonReader::JsonReader(const QJsonValue& value, QString context) : m_context(std::move(context))
{
    m_object = decodeObject(value, m_context);
}

JsonReader JsonReader::parse(const QByteArray& bytes, const QString& context)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodingError(QStringLiteral("Invalid JSON in %1: %2 at offset %3.")
                                .arg(context, error.errorString())
                                .arg(error.offset));
    if (!document.isObject())
        throw DecodingError(QStringLiteral("Invalid JSON in %1: expected an object.").arg(context));
    return JsonReader(document.object(), context);
}

bool JsonReader::has(const QString& key) const
{
    const auto it = m_object.constFind(key);
    return it != m_object.constEnd() && !it->isNull() && !it->isUndefined();
}

QJsonValue JsonReader::required(const QString& key) const
{
    const auto it = m_object.constFind(key);
    if (it == m_object.constEnd())
        throwDecoding(name(key), QStringLiteral("the key is missing"));
    if (it->isNull())
        throwDecoding(name(key), QStringLiteral("the value is null"));
    return *it;
}

std::int64_t JsonReader::integer(const QString& key, std::int64_t min, std::int64_t max) const
{
    const QJsonValue value = required(key);
    if (value.isDouble()) {
        // A whole number representable in 64 bits reads the same whatever default toInteger is given.
        const qint64 a = value.toInteger(0);
        if (a == value.toInteger(1) && a >= min && a <= max)
            return a;
    }
    return decodeInteger(value, name(key), min, max);
}

std::vector<QString> JsonReader::strings(const QString& key) const
{
    return list(key, decodeString);
}

QString JsonReader::name(const QString& key) const
{
    return m_context.isEmpty() ? key : m_context + QLatin1Char('.') + key;
}

} // namespace orvane
