#pragma once

#include "json/JsonCodecs.h"
#include "model/BackupKind.h"

#include <QDateTime>
#include <QJsonObject>
#include <QLocale>
#include <QTimeZone>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace orvane {

// One copied file of a backup.
struct BackupFile {
    QString relativePath; // inside the backup folder
    QString originalPath; // standardised absolute path a restore puts the file back to
    QString sha256;       // of the copied content, 64 lower-case hexadecimal digits
    std::int64_t byteCount = 0;

    bool operator==(const BackupFile&) const = default;
};

// The manifest.json of one backup folder.
struct BackupManifest {
    QString id;
    QDateTime createdAt;
    QString instanceRoot;
    std::vector<BackupFile> files;
    QString notes;
    BackupKind kind = BackupKind::manual;
    // Files that did not exist before the backed-up operation; a restore deletes them.
    std::vector<QString> createdPaths;
    // The backup's place in the order its store made them, whatever the clock said; absent in
    // manifests written before stores counted their backups.
    std::optional<std::int64_t> sequence;

    bool operator==(const BackupManifest&) const = default;

    // The sum of the files' byte counts. A sum beyond the signed range saturates (a manifest read
    // from disk may hold any counts; the store's byte-bounds check refuses such manifests).
    std::int64_t totalByteCount() const;

    // The confirmation shown before a world restore, with the date in the user's time zone and the
    // date and size in the user's locale (the size never parted from its unit).
    QString savesRestorePrompt() const;
    QString savesRestorePrompt(const QTimeZone& zone, const QLocale& locale = QLocale()) const;

    // Shown when no world-backup manifest is at hand.
    static QString savesRestoreFallbackPrompt();
};

QJsonObject toJson(const BackupFile& file);
QJsonObject toJson(const BackupManifest& manifest);

template <>
BackupFile fromJson<BackupFile>(const QJsonValue& value);
// Tolerant of older manifests: a missing or null `kind` reads as manual, missing `createdPaths` as empty,
// a missing `sequence` as none.
template <>
BackupManifest fromJson<BackupManifest>(const QJsonValue& value);

} // namespace orvane
