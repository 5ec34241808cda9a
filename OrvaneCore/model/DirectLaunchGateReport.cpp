#include "model/DirectLaunchGateReport.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const DirectLaunchGateReport& report)
{
    QJsonObject object;
    object.insert(QStringLiteral("isEligible"), report.isEligible);
    object.insert(QStringLiteral("missing"),
                  toJsonArray(report.missing, [](DirectLaunchGateRequirement r) { return toJsonEnum(r); }));
    return object;
}

template <>
DirectLaunchGateReport fromJson<DirectLaunchGateReport>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("DirectLaunchGateReport"));
    return DirectLaunchGateReport{
        r.boolean(QStringLiteral("isEligible")),
        r.list(QStringLiteral("missing"), decodeEnum<DirectLaunchGateRequirement>),
    };
}

} // namespace orvane
