#pragma once

#include "json/JsonCodecs.h"
#include "model/StringMap.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <vector>

namespace orvane {

// The resolved Balanced overlay: what Apply Balanced writes.
struct OverlayPlan {
    QString profileId;
    QString title;
    std::int64_t memorySettingsId = 0; // an id of TechnicMemory's table
    std::int64_t memoryMegabytes = 0;
    StringMap options;                 // options.txt names and values
    std::vector<QString> requiredComponents;
    std::vector<QString> notes;
    bool disableMojangJava = false;
    bool enableMojangJava = false;

    bool operator==(const OverlayPlan&) const = default;
};

QJsonObject toJson(const OverlayPlan& plan);
template <>
OverlayPlan fromJson<OverlayPlan>(const QJsonValue& value);

} // namespace orvane
