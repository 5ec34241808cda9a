#include "model/RestoreResult.h"

#include "json/JsonReader.h"

namespace orvane {

namespace {

RestoreVerification decodeVerification(const QJsonValue& value, const QString& what)
{
    const JsonReader r(value, what);
    return RestoreVerification{
        r.optional(QStringLiteral("backupKind"), decodeEnum<BackupKind>),
        r.integer(QStringLiteral("verifiedFileCount")),
        r.unsignedInteger(QStringLiteral("verifiedByteCount")),
        r.string(QStringLiteral("algorithm")),
    };
}

} // namespace

QJsonObject toJson(const RestoreVerification& verification)
{
    QJsonObject object{
        {QStringLiteral("verifiedFileCount"), toJsonInteger(verification.verifiedFileCount)},
        {QStringLiteral("verifiedByteCount"), toJsonUnsigned(verification.verifiedByteCount)},
        {QStringLiteral("algorithm"), verification.algorithm},
    };
    insertOptional(object, QStringLiteral("backupKind"), verification.backupKind,
                   [](BackupKind kind) { return toJson(kind); });
    return object;
}

QJsonObject toJson(const RestoreResult& result)
{
    QJsonObject object{
        {QStringLiteral("backupId"), result.backupId},
        {QStringLiteral("restoredFiles"), toJsonStringArray(result.restoredFiles)},
        {QStringLiteral("deletedCreatedFiles"), toJsonStringArray(result.deletedCreatedFiles)},
        {QStringLiteral("verification"), toJson(result.verification)},
        {QStringLiteral("needsReapplyForMojangJava"), result.needsReapplyForMojangJava},
    };
    insertOptional(object, QStringLiteral("message"), result.message);
    return object;
}

template <>
RestoreVerification fromJson<RestoreVerification>(const QJsonValue& value)
{
    return decodeVerification(value, QStringLiteral("RestoreVerification"));
}

template <>
RestoreResult fromJson<RestoreResult>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("RestoreResult"));
    return RestoreResult{
        r.string(QStringLiteral("backupId")),
        r.strings(QStringLiteral("restoredFiles")),
        r.strings(QStringLiteral("deletedCreatedFiles")),
        decodeVerification(r.required(QStringLiteral("verification")), QStringLiteral("RestoreResult.verification")),
        r.boolean(QStringLiteral("needsReapplyForMojangJava")),
        r.optionalString(QStringLiteral("message")),
    };
}

} // namespace orvane
