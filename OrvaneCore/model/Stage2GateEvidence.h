#pragma once

#include "json/JsonCodecs.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace orvane {

// What the direct-launch gate judges. This build holds every flag false and no review.
struct Stage2GateEvidence {
    bool minecraftServicesApproved = false;
    bool technicWrittenAuthorization = false;
    bool contentRightsRegistryComplete = false;
    bool securityReviewApproved = false;
    std::optional<QString> securityReviewer;
    std::optional<QDateTime> securityReviewedAt;

    bool operator==(const Stage2GateEvidence&) const = default;
};

// The four flags are always written, the reviewer and date only when present. On reading every key
// is optional (missing or null: false or absent), but a value of the wrong type is refused.
QJsonObject toJson(const Stage2GateEvidence& evidence);
template <>
Stage2GateEvidence fromJson<Stage2GateEvidence>(const QJsonValue& value);

} // namespace orvane
