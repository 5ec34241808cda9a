#include "model/ContentRightsRecord.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const ContentRightsRecord& record)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), record.id);
    object.insert(QStringLiteral("owner"), record.owner);
    object.insert(QStringLiteral("canonicalSource"), record.canonicalSource);
    object.insert(QStringLiteral("version"), record.version);
    insertOptional(object, QStringLiteral("sha256"), record.sha256);
    object.insert(QStringLiteral("license"), record.license);
    object.insert(QStringLiteral("deliveryMethod"), record.deliveryMethod);
    object.insert(QStringLiteral("modificationPolicy"), record.modificationPolicy);
    object.insert(QStringLiteral("credit"), record.credit);
    object.insert(QStringLiteral("reviewExpires"), record.reviewExpires);
    object.insert(QStringLiteral("revoked"), record.revoked);
    object.insert(QStringLiteral("permitted"), record.permitted);
    return object;
}

ContentRightsRecord decodeContentRightsRecord(const QJsonValue& value, const QString& what)
{
    const JsonReader r(value, what);
    return ContentRightsRecord{
        r.string(QStringLiteral("id")),
        r.string(QStringLiteral("owner")),
        r.string(QStringLiteral("canonicalSource")),
        r.string(QStringLiteral("version")),
        r.optionalString(QStringLiteral("sha256")),
        r.string(QStringLiteral("license")),
        r.string(QStringLiteral("deliveryMethod")),
        r.string(QStringLiteral("modificationPolicy")),
        r.string(QStringLiteral("credit")),
        r.string(QStringLiteral("reviewExpires")),
        r.boolean(QStringLiteral("revoked")),
        r.boolean(QStringLiteral("permitted")),
    };
}

template <>
ContentRightsRecord fromJson<ContentRightsRecord>(const QJsonValue& value)
{
    return decodeContentRightsRecord(value, QStringLiteral("ContentRightsRecord"));
}

} // namespace orvane
