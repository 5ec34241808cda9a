#pragma once

#include "model/PackID.h"
#include "stage2/TechnicBridgeOperation.h"

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <cstdint>
#include <optional>

namespace orvane {

// One bridge request. Which optional fields an operation carries is checked by TechnicBridgeCodec.
struct TechnicBridgeRequest {
    std::int64_t protocolVersion = 0;
    QUuid requestID;
    TechnicBridgeOperation operation = TechnicBridgeOperation::listPacks;
    std::optional<PackID> packID;
    std::optional<QString> profileID;
    std::optional<QUuid> targetRequestID; // the request a cancel refers to

    bool operator==(const TechnicBridgeRequest&) const = default;
};

// Absent optionals are left out; UUIDs are written upper case.
QJsonObject toJson(const TechnicBridgeRequest& request);
// Strict types; optionals missing or null read as absent; keys outside the record are ignored here.
template <>
TechnicBridgeRequest fromJson<TechnicBridgeRequest>(const QJsonValue& value);

} // namespace orvane
