#include "model/OverlayPlan.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const OverlayPlan& plan)
{
    QJsonObject o;
    o.insert(QStringLiteral("profileId"), plan.profileId);
    o.insert(QStringLiteral("title"), plan.title);
    o.insert(QStringLiteral("memorySettingsId"), toJsonInteger(plan.memorySettingsId));
    o.insert(QStringLiteral("memoryMegabytes"), toJsonInteger(plan.memoryMegabytes));
    o.insert(QStringLiteral("options"), toJsonStringMap(plan.options));
    o.insert(QStringLiteral("requiredComponents"), toJsonStringArray(plan.requiredComponents));
    o.insert(QStringLiteral("notes"), toJsonStringArray(plan.notes));
    o.insert(QStringLiteral("disableMojangJava"), plan.disableMojangJava);
    o.insert(QStringLiteral("enableMojangJava"), plan.enableMojangJava);
    return o;
}

template <>
OverlayPlan fromJson<OverlayPlan>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("OverlayPlan"));
    return OverlayPlan{
        .profileId = r.string(QStringLiteral("profileId")),
        .title = r.string(QStringLiteral("title")),
        .memorySettingsId = r.integer(QStringLiteral("memorySettingsId")),
        .memoryMegabytes = r.integer(QStringLiteral("memoryMegabytes")),
        .options = decodeStringMap(r.required(QStringLiteral("options")), QStringLiteral("OverlayPlan.options")),
        .requiredComponents = r.strings(QStringLiteral("requiredComponents")),
        .notes = r.strings(QStringLiteral("notes")),
        .disableMojangJava = r.boolean(QStringLiteral("disableMojangJava")),
        .enableMojangJava = r.boolean(QStringLiteral("enableMojangJava")),
    };
}

} // namespace orvane
