#include "model/PackID.h"

#include "json/DecodingError.h"
#include "json/JsonCodecs.h"

namespace orvane {

namespace {

constexpr qsizetype maximumBytes = 64;

bool isLowerLetter(char c) { return c >= 'a' && c <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

bool PackID::isValid(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty() || bytes.size() > maximumBytes)
        return false;
    if (!isLowerLetter(bytes.front()) || bytes.back() == '-')
        return false;
    char previous = 0;
    for (const char c : bytes) {
        if (!isLowerLetter(c) && !isDigit(c) && c != '-')
            return false;
        if (c == '-' && previous == '-')
            return false;
        previous = c;
    }
    return true;
}

std::optional<PackID> PackID::fromRawValue(const QString& text)
{
    if (!isValid(text))
        return std::nullopt;
    return PackID(text);
}

QJsonValue toJson(const PackID& id)
{
    return id.rawValue();
}

PackID decodePackID(const QJsonValue& value, const QString& what)
{
    if (auto id = PackID::fromRawValue(decodeString(value, what)))
        return *std::move(id);
    throw DecodingError(
        QStringLiteral("Pack IDs must be 1-64 lowercase letters, numbers, or hyphens and begin with a letter."));
}

template <>
PackID fromJson<PackID>(const QJsonValue& value)
{
    return decodePackID(value, QStringLiteral("PackID"));
}

} // namespace orvane
