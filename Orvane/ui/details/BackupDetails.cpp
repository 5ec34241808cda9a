#include "ui/details/BackupDetails.h"

#include "model/ByteCountFormat.h"
#include "model/DateText.h"
#include "platform/PathText.h"

#include <QStringList>

namespace orvane::BackupDetails {

QString rowValue(const BackupManifest& manifest, const QTimeZone& zone)
{
    return QStringList{
        lastPathComponentText(pathFromText(manifest.instanceRoot)),
        abbreviatedDateTimeText(manifest.createdAt, zone),
        QString::number(manifest.files.size()) + QStringLiteral(" files"),
        fileByteCountText(manifest.totalByteCount()),
    }
        .join(QStringLiteral(" · "));
}

DetailRowTexts rows(const std::optional<BackupManifest>& settings, const std::optional<BackupManifest>& worlds,
                    const QTimeZone& zone)
{
    DetailRowTexts result;
    if (settings)
        result.push_back({QStringLiteral("Settings"), rowValue(*settings, zone)});
    if (worlds)
        result.push_back({QStringLiteral("Worlds"), rowValue(*worlds, zone)});
    return result;
}

} // namespace orvane::BackupDetails
