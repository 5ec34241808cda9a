#include "model/ApplyResult.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const ApplyResult& result)
{
    QJsonObject o;
    o.insert(QStringLiteral("backupId"), result.backupId);
    o.insert(QStringLiteral("changedFiles"), toJsonStringArray(result.changedFiles));
    o.insert(QStringLiteral("plan"), toJson(result.plan));
    return o;
}

template <>
ApplyResult fromJson<ApplyResult>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("ApplyResult"));
    return ApplyResult{
        .backupId = r.string(QStringLiteral("backupId")),
        .changedFiles = r.strings(QStringLiteral("changedFiles")),
        .plan = fromJson<OverlayPlan>(r.required(QStringLiteral("plan"))),
    };
}

} // namespace orvane
