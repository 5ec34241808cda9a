#pragma once

#include "json/EnumNames.h"
#include "model/LaunchMode.h"
#include "model/LaunchProviderID.h"
#include "model/PackID.h"

#include <QJsonObject>
#include <QString>

#include <array>

namespace orvane {

// Whether a catalog entry may be selected and launched; written as the case name.
enum class PackAvailability {
    available,
    blocked,
    unsupported,
};

template <>
struct EnumNames<PackAvailability> {
    static constexpr std::array names{"available", "blocked", "unsupported"};
};

// One entry of the pack catalog; identified by `id`.
struct PackDescriptor {
    // Tekkit 2 1.2.6 through the official Technic Launcher: the one pack of the catalog.
    static const PackDescriptor tekkit2;

    PackID id;
    QString name;
    QString version;
    LaunchProviderID providerID;
    LaunchMode launchMode;
    PackAvailability availability;
    QString supportReason; // one sentence; for a blocked entry it says why

    bool isAvailable() const { return availability == PackAvailability::available; }

    bool operator==(const PackDescriptor&) const = default;
};

inline const PackDescriptor PackDescriptor::tekkit2{
    PackID::tekkit2,
    QStringLiteral("Tekkit 2"),
    QStringLiteral("1.2.6"),
    LaunchProviderID::officialTechnic,
    LaunchMode::companionHandoff,
    PackAvailability::available,
    QStringLiteral("Uses the installed official Technic launcher."),
};

QJsonObject toJson(const PackDescriptor& descriptor);
template <>
PackDescriptor fromJson<PackDescriptor>(const QJsonValue& value);

} // namespace orvane
