#include "model/DiagnosticSummary.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const DiagnosticSummary& summary)
{
    QJsonObject object;
    object.insert(QStringLiteral("createdAt"), toJsonDate(summary.createdAt));
    object.insert(QStringLiteral("capability"), toJson(summary.capability));
    insertOptional(object, QStringLiteral("inspection"), summary.inspection,
                   [](const InstallInspection& i) { return toJson(i); });
    insertOptional(object, QStringLiteral("lastBackupId"), summary.lastBackupId);
    insertOptional(object, QStringLiteral("lastLaunch"), summary.lastLaunch,
                   [](const LaunchObservation& o) { return toJson(o); });
    insertOptional(object, QStringLiteral("lastLaunchResult"), summary.lastLaunchResult,
                   [](const LaunchResultDiagnostic& d) { return toJson(d); });
    object.insert(QStringLiteral("redactedLog"), summary.redactedLog);
    object.insert(QStringLiteral("preview"), summary.preview);
    return object;
}

template <>
DiagnosticSummary fromJson<DiagnosticSummary>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("DiagnosticSummary"));
    return DiagnosticSummary{
        .createdAt = r.date(QStringLiteral("createdAt")),
        .capability = fromJson<CapabilityReport>(r.required(QStringLiteral("capability"))),
        .inspection = r.optional(QStringLiteral("inspection"),
                                 [](const QJsonValue& v, const QString&) { return fromJson<InstallInspection>(v); }),
        .lastBackupId = r.optionalString(QStringLiteral("lastBackupId")),
        .lastLaunch = r.optional(QStringLiteral("lastLaunch"),
                                 [](const QJsonValue& v, const QString&) { return fromJson<LaunchObservation>(v); }),
        .lastLaunchResult = r.optional(QStringLiteral("lastLaunchResult"), [](const QJsonValue& v, const QString&) {
            return fromJson<LaunchResultDiagnostic>(v);
        }),
        .redactedLog = r.string(QStringLiteral("redactedLog")),
        .preview = r.string(QStringLiteral("preview")),
    };
}

} // namespace orvane
