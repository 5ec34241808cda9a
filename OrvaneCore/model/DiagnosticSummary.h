#pragma once

#include "json/JsonCodecs.h"
#include "model/CapabilityReport.h"
#include "model/InstallInspection.h"
#include "model/LaunchObservation.h"
#include "model/LaunchResultDiagnostic.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace orvane {

// What one diagnostic bundle holds.
struct DiagnosticSummary {
    QDateTime createdAt; // the bundle's file name is derived from it
    CapabilityReport capability;
    std::optional<InstallInspection> inspection;
    std::optional<QString> lastBackupId;
    std::optional<LaunchObservation> lastLaunch;
    std::optional<LaunchResultDiagnostic> lastLaunchResult;
    QString redactedLog; // empty when there was no launch
    QString preview;     // the redacted report text shown to the user

    bool operator==(const DiagnosticSummary&) const = default;
};

QJsonObject toJson(const DiagnosticSummary& summary);
template <>
DiagnosticSummary fromJson<DiagnosticSummary>(const QJsonValue& value);

} // namespace orvane
