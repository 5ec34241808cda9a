#include "model/PackDescriptor.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const PackDescriptor& descriptor)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), toJson(descriptor.id));
    object.insert(QStringLiteral("name"), descriptor.name);
    object.insert(QStringLiteral("version"), descriptor.version);
    object.insert(QStringLiteral("providerID"), toJson(descriptor.providerID));
    object.insert(QStringLiteral("launchMode"), toJsonEnum(descriptor.launchMode));
    object.insert(QStringLiteral("availability"), toJsonEnum(descriptor.availability));
    object.insert(QStringLiteral("supportReason"), descriptor.supportReason);
    return object;
}

template <>
PackDescriptor fromJson<PackDescriptor>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("PackDescriptor"));
    return PackDescriptor{
        decodePackID(r.required(QStringLiteral("id")), QStringLiteral("PackDescriptor.id")),
        r.string(QStringLiteral("name")),
        r.string(QStringLiteral("version")),
        decodeLaunchProviderID(r.required(QStringLiteral("providerID")), QStringLiteral("PackDescriptor.providerID")),
        r.enumeration<LaunchMode>(QStringLiteral("launchMode")),
        r.enumeration<PackAvailability>(QStringLiteral("availability")),
        r.string(QStringLiteral("supportReason")),
    };
}

} // namespace orvane
