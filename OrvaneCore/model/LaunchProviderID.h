#pragma once

#include "json/JsonCodecs.h"

#include <QHashFunctions>
#include <QJsonValue>
#include <QString>

#include <cstddef>
#include <functional>

namespace orvane {

// Names a launch provider. Any text is accepted: provider identifiers are not validated.
class LaunchProviderID final {
public:
    // Opens the official Technic Launcher and watches the game start.
    static const LaunchProviderID officialTechnic;
    // Direct launch, which always refuses in this build.
    static const LaunchProviderID orvaneDirect;

    explicit LaunchProviderID(QString rawValue) : m_rawValue(std::move(rawValue)) {}

    const QString& rawValue() const { return m_rawValue; }

    bool operator==(const LaunchProviderID& other) const = default;

private:
    QString m_rawValue;
};

inline const LaunchProviderID LaunchProviderID::officialTechnic{QStringLiteral("official-technic")};
inline const LaunchProviderID LaunchProviderID::orvaneDirect{QStringLiteral("orvane-direct")};

inline std::size_t qHash(const LaunchProviderID& id, std::size_t seed = 0) noexcept
{
    return qHash(id.rawValue(), seed);
}

// A single JSON string.
inline QJsonValue toJson(const LaunchProviderID& id)
{
    return id.rawValue();
}

inline LaunchProviderID decodeLaunchProviderID(const QJsonValue& value, const QString& what)
{
    return LaunchProviderID(decodeString(value, what));
}

template <>
inline LaunchProviderID fromJson<LaunchProviderID>(const QJsonValue& value)
{
    return decodeLaunchProviderID(value, QStringLiteral("LaunchProviderID"));
}

} // namespace orvane

template <>
struct std::hash<orvane::LaunchProviderID> {
    std::size_t operator()(const orvane::LaunchProviderID& id) const noexcept { return orvane::qHash(id); }
};
