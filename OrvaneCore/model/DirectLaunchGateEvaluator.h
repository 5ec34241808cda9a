#pragma once

#include "model/DirectLaunchGateReport.h"
#include "model/Stage2GateEvidence.h"

#include <QDateTime>

namespace orvane {

// Turns the evidence into a report of what direct launch still lacks. `now` is fixed when the
// evaluator is made (start-up), so the same evidence always gives the same report.
struct DirectLaunchGateEvaluator {
    QDateTime now;

    DirectLaunchGateReport evaluate(const Stage2GateEvidence& evidence) const;

    bool operator==(const DirectLaunchGateEvaluator&) const = default;
};

} // namespace orvane
