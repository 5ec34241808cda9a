#include "model/BackupManifest.h"

#include "json/JsonReader.h"
#include "model/ByteCountFormat.h"
#include "model/DateText.h"

namespace orvane {

namespace {

BackupFile decodeFile(const QJsonValue& value, const QString& what)
{
    const JsonReader r(value, what);
    return BackupFile{
        r.string(QStringLiteral("relativePath")),
        r.string(QStringLiteral("originalPath")),
        r.string(QStringLiteral("sha256")),
        r.integer(QStringLiteral("byteCount")),
    };
}

} // namespace

std::int64_t BackupManifest::totalByteCount() const
{
    std::int64_t total = 0;
    for (const auto& file : files) {
        if (__builtin_add_overflow(total, file.byteCount, &total))
            return file.byteCount > 0 ? INT64_MAX : INT64_MIN;
    }
    return total;
}

QString BackupManifest::savesRestorePrompt() const
{
    return savesRestorePrompt(QTimeZone::systemTimeZone());
}

QString BackupManifest::savesRestorePrompt(const QTimeZone& zone, const QLocale& locale) const
{
    return QStringLiteral("Restore the ") + QString::number(files.size())
        + QStringLiteral(" files recorded in the verified world backup from ")
        + localizedAbbreviatedDateTimeText(createdAt, zone, locale) + QStringLiteral(" (")
        + localizedFileByteCountText(totalByteCount(), locale)
        + QStringLiteral(")? Other saves files added later are left unchanged. Overlay settings are not changed.");
}

QString BackupManifest::savesRestoreFallbackPrompt()
{
    return QStringLiteral("Restore only the files recorded in the latest verified world backup? "
                          "Files added later are left unchanged.");
}

QJsonObject toJson(const BackupFile& file)
{
    return QJsonObject{
        {QStringLiteral("relativePath"), file.relativePath},
        {QStringLiteral("originalPath"), file.originalPath},
        {QStringLiteral("sha256"), file.sha256},
        {QStringLiteral("byteCount"), toJsonInteger(file.byteCount)},
    };
}

QJsonObject toJson(const BackupManifest& manifest)
{
    QJsonObject object{
        {QStringLiteral("id"), manifest.id},
        {QStringLiteral("createdAt"), toJsonDate(manifest.createdAt)},
        {QStringLiteral("instanceRoot"), manifest.instanceRoot},
        {QStringLiteral("files"), toJsonArray(manifest.files, [](const BackupFile& f) { return toJson(f); })},
        {QStringLiteral("notes"), manifest.notes},
        {QStringLiteral("kind"), toJson(manifest.kind)},
        {QStringLiteral("createdPaths"), toJsonStringArray(manifest.createdPaths)},
    };
    if (manifest.sequence)
        object.insert(QStringLiteral("sequence"), toJsonInteger(*manifest.sequence));
    return object;
}

template <>
BackupFile fromJson<BackupFile>(const QJsonValue& value)
{
    return decodeFile(value, QStringLiteral("BackupFile"));
}

template <>
BackupManifest fromJson<BackupManifest>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("BackupManifest"));
    BackupManifest manifest;
    manifest.id = r.string(QStringLiteral("id"));
    manifest.createdAt = r.date(QStringLiteral("createdAt"));
    manifest.instanceRoot = r.string(QStringLiteral("instanceRoot"));
    manifest.files = r.list(QStringLiteral("files"), decodeFile);
    manifest.notes = r.string(QStringLiteral("notes"));
    manifest.kind = r.optional(QStringLiteral("kind"), decodeEnum<BackupKind>).value_or(BackupKind::manual);
    if (r.has(QStringLiteral("createdPaths")))
        manifest.createdPaths = r.strings(QStringLiteral("createdPaths"));
    manifest.sequence = r.optionalInteger(QStringLiteral("sequence"));
    return manifest;
}

} // namespace orvane
