#pragma once

#include "model/PackID.h"

#include <QJsonObject>
#include <QString>

#include <vector>

namespace orvane {

// One pack of a packs event. Lengths and uniqueness are checked by TechnicBridgeCodec.
struct TechnicBridgePack {
    PackID packID;
    QString name;
    QString version;
    std::vector<QString> supportedProfileIDs;

    bool operator==(const TechnicBridgePack&) const = default;
};

QJsonObject toJson(const TechnicBridgePack& pack);
// All four keys required; `what` names the value in error texts ("TechnicBridgeEvent.packs[2]").
TechnicBridgePack decodeTechnicBridgePack(const QJsonValue& value, const QString& what);
template <>
TechnicBridgePack fromJson<TechnicBridgePack>(const QJsonValue& value);

} // namespace orvane
