#pragma once

#include "json/JsonCodecs.h"

#include <QHashFunctions>
#include <QJsonValue>
#include <QString>

#include <compare>
#include <cstddef>
#include <functional>
#include <optional>

namespace orvane {

// A pack identifier that always satisfies the identifier rule: there is no way to hold an invalid one.
class PackID final {
public:
    // The certified pack and the default selection: "tekkit-2".
    static const PackID tekkit2;

    // 1 to 64 bytes of a-z, 0-9 and "-", first a letter, last not "-", no "--". Judged on UTF-8 bytes.
    static bool isValid(const QString& text);
    // The identifier for `text`, or nothing when the rule refuses it.
    static std::optional<PackID> fromRawValue(const QString& text);

    const QString& rawValue() const { return m_rawValue; }

    bool operator==(const PackID& other) const { return m_rawValue == other.m_rawValue; }
    // Valid identifiers are ASCII, so comparing code units is comparing bytes.
    std::strong_ordering operator<=>(const PackID& other) const
    {
        return QString::compare(m_rawValue, other.m_rawValue, Qt::CaseSensitive) <=> 0;
    }

private:
    explicit PackID(QString rawValue) : m_rawValue(std::move(rawValue)) {}

    QString m_rawValue;
};

inline const PackID PackID::tekkit2{QStringLiteral("tekkit-2")};

inline std::size_t qHash(const PackID& id, std::size_t seed = 0) noexcept
{
    return qHash(id.rawValue(), seed);
}

// A single JSON string.
QJsonValue toJson(const PackID& id);
// Reads one string; one that breaks the rule throws DecodingError with the identifier sentence.
PackID decodePackID(const QJsonValue& value, const QString& what);
template <>
PackID fromJson<PackID>(const QJsonValue& value);

} // namespace orvane

template <>
struct std::hash<orvane::PackID> {
    std::size_t operator()(const orvane::PackID& id) const noexcept { return orvane::qHash(id); }
};
