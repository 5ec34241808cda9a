#include "model/Stage2GateEvidence.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const Stage2GateEvidence& evidence)
{
    QJsonObject object;
    object.insert(QStringLiteral("minecraftServicesApproved"), evidence.minecraftServicesApproved);
    object.insert(QStringLiteral("technicWrittenAuthorization"), evidence.technicWrittenAuthorization);
    object.insert(QStringLiteral("contentRightsRegistryComplete"), evidence.contentRightsRegistryComplete);
    object.insert(QStringLiteral("securityReviewApproved"), evidence.securityReviewApproved);
    insertOptional(object, QStringLiteral("securityReviewer"), evidence.securityReviewer);
    insertOptional(object, QStringLiteral("securityReviewedAt"), evidence.securityReviewedAt, toJsonDate);
    return object;
}

template <>
Stage2GateEvidence fromJson<Stage2GateEvidence>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("Stage2GateEvidence"));
    return Stage2GateEvidence{
        r.optionalBoolean(QStringLiteral("minecraftServicesApproved")).value_or(false),
        r.optionalBoolean(QStringLiteral("technicWrittenAuthorization")).value_or(false),
        r.optionalBoolean(QStringLiteral("contentRightsRegistryComplete")).value_or(false),
        r.optionalBoolean(QStringLiteral("securityReviewApproved")).value_or(false),
        r.optionalString(QStringLiteral("securityReviewer")),
        r.optionalDate(QStringLiteral("securityReviewedAt")),
    };
}

} // namespace orvane
