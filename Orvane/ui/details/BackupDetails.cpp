#include "ui/details/BackupDetails.h"

#include "model/ByteCountFormat.h"
#include "model/DateText.h"
#include "platform/PathText.h"

#include <QStringList>

namespace orvane::BackupDetails {

QString rowValue(const BackupManifest& manifest, const QTimeZone& zone, const QLocale& locale)
{
    return QStringList{
        lastPathComponentText(pathFromText(manifest.instanceRoot)),
        localizedAbbreviatedDateTimeText(manifest.createdAt, zone, locale),
        QString::number(manifest.files.size()) + QStringLiteral(" files"),
        localizedFileByteCountText(manifest.totalByteCount(), locale),
    }
        .join(QStringLiteral(" · "));
}

DetailRowTexts rows(const std::optional<BackupManifest>& settings, const std::optional<BackupManifest>& worlds,
                    const QTimeZone& zone, const QLocale& locale)
{
    DetailRowTexts result;
    if (settings)
        result.push_back({QStringLiteral("Settings"), rowValue(*settings, zone, locale)});
    if (worlds)
        result.push_back({QStringLiteral("Worlds"), rowValue(*worlds, zone, locale)});
    return result;
}

} // namespace orvane::BackupDetails
