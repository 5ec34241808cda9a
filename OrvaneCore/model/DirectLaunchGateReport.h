#pragma once

#include "json/JsonCodecs.h"
#include "model/DirectLaunchGateRequirement.h"

#include <QJsonObject>

#include <vector>

namespace orvane {

// The gate's verdict: eligible exactly when nothing is missing; `missing` is in requirement order.
struct DirectLaunchGateReport {
    bool isEligible = false;
    std::vector<DirectLaunchGateRequirement> missing;

    bool operator==(const DirectLaunchGateReport&) const = default;
};

QJsonObject toJson(const DirectLaunchGateReport& report);
template <>
DirectLaunchGateReport fromJson<DirectLaunchGateReport>(const QJsonValue& value);

} // namespace orvane
