#pragma once

#include "model/BackupManifest.h"
#include "ui/details/DetailRowText.h"

#include <QLocale>
#include <QTimeZone>

#include <optional>

namespace orvane::BackupDetails {

// "<instance folder> · <date and time> · <n> files · <total size>", the date in `zone`, the date and
// size in `locale` (the user's unless a test gives one).
QString rowValue(const BackupManifest& manifest, const QTimeZone& zone = QTimeZone::systemTimeZone(),
                 const QLocale& locale = QLocale());

// The LATEST BACKUPS rows: "Settings" for the overlay backup, then "Worlds" for the world backup,
// each only when present.
DetailRowTexts rows(const std::optional<BackupManifest>& settings, const std::optional<BackupManifest>& worlds,
                    const QTimeZone& zone = QTimeZone::systemTimeZone(), const QLocale& locale = QLocale());

} // namespace orvane::BackupDetails
