#include "session/BalancedProfileFile.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const BalancedProfileFile& profile)
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), profile.id);
    o.insert(QStringLiteral("title"), profile.title);
    o.insert(QStringLiteral("requiredComponents"), toJsonStringArray(profile.requiredComponents));
    o.insert(QStringLiteral("options"), toJsonStringMap(profile.options));
    o.insert(QStringLiteral("notes"), toJsonStringArray(profile.notes));
    return o;
}

template <>
BalancedProfileFile fromJson<BalancedProfileFile>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("BalancedProfileFile"));
    return BalancedProfileFile {
        .id = r.string(QStringLiteral("id")),
        .title = r.string(QStringLiteral("title")),
        .requiredComponents = r.strings(QStringLiteral("requiredComponents")),
        .options = decodeStringMap(r.required(QStringLiteral("options")), QStringLiteral("BalancedProfileFile.options")),
        .notes = r.strings(QStringLiteral("notes")),
    };
}

} // namespace orvane
