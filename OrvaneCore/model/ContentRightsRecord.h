#pragma once

#include "json/JsonCodecs.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace orvane {

// One entry of the content-rights registry: a component, who holds its rights and how it may be used.
struct ContentRightsRecord {
    QString id; // the component identifier profiles and manifests name
    QString owner;
    QString canonicalSource; // the one HTTPS URL the component may come from
    QString version;         // "*" means any version
    std::optional<QString> sha256; // the pinned lowercase hex digest, when one is pinned
    QString license;
    QString deliveryMethod; // "forbidden" means never
    QString modificationPolicy;
    QString credit;
    QString reviewExpires; // "YYYY-MM-DD", the day the rights review runs out (midnight UTC)
    bool revoked = false;
    bool permitted = false;

    bool operator==(const ContentRightsRecord&) const = default;
};

// `what` names the value in error texts ("ContentRegistry.records[2]").
ContentRightsRecord decodeContentRightsRecord(const QJsonValue& value, const QString& what);
QJsonObject toJson(const ContentRightsRecord& record);
template <>
ContentRightsRecord fromJson<ContentRightsRecord>(const QJsonValue& value);

} // namespace orvane
