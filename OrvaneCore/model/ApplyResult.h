#pragma once

#include "json/JsonCodecs.h"
#include "model/OverlayPlan.h"

#include <QJsonObject>
#include <QString>

#include <vector>

namespace orvane {

// What Apply Balanced did: the snapshot taken first, the files written and the plan.
struct ApplyResult {
    QString backupId; // the pre-overlay snapshot's id
    std::vector<QString> changedFiles;
    OverlayPlan plan;

    bool operator==(const ApplyResult&) const = default;
};

QJsonObject toJson(const ApplyResult& result);
template <>
ApplyResult fromJson<ApplyResult>(const QJsonValue& value);

} // namespace orvane
