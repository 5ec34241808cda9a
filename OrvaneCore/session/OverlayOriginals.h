#pragma once

#include "platform/FileOperations.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

// Where each overlay file's values from before Balanced first took effect on it are kept: the
// pre-overlay snapshot that holds the file as it was then, and the keys Balanced has written to it
// since. Later Applies, game sessions and launcher rewrites never replace that snapshot (it is no
// longer the newest one then); only a restore ends Balanced's effect, and the next Apply after it
// starts anew. Keyed by the file alone, so the launcher's settings.json, shared by every instance,
// keeps one origin whichever instance applied Balanced first. The snapshots stay the source of the
// values (verified before use); this names them.
struct OverlayOriginal {
    QString path;     // the overlay file, standardised
    QString backupId; // the pre-overlay snapshot holding it from before (copied, or listed as created)
    QStringList keys; // every key Balanced wrote to it since, in the order first written
    bool inEffect = true; // false once a restore has put those keys back
    bool operator==(const OverlayOriginal&) const = default;
};

struct OverlayOriginals {
    std::vector<OverlayOriginal> files;

    bool operator==(const OverlayOriginals&) const = default;

    // "overlay-originals.json" in Orvane's own folder, beside (not in) the backup store, whose
    // folders old and new releases alike read as backups.
    static std::filesystem::path location(const std::filesystem::path& applicationSupport);

    // Nothing when there is no record, or one that cannot be read (then every restore chooses its
    // snapshot as releases before the record did, and the next Apply writes a new record).
    static std::optional<OverlayOriginals> read(FileOperations& files, const std::filesystem::path& location);
    // The record's bytes as they are (nothing: no record, or none that can be read whole).
    static std::optional<QByteArray> readBytes(FileOperations& files, const std::filesystem::path& location);
    // Atomically, with the folder made when missing; throws the platform's error.
    void write(FileOperations& files, const std::filesystem::path& location) const;
    QByteArray encoded() const;
    static std::optional<OverlayOriginals> decode(const QByteArray& bytes);

    const OverlayOriginal* find(const QString& path) const;
    // Apply writes `keys` to `path`: Balanced in effect on it already adds the keys to its entry;
    // otherwise its origin becomes `snapshotId` (nothing: no snapshot holds the file from before,
    // and no entry is made). True when the record changed.
    bool noteWrite(const QString& path, const QStringList& keys, const std::optional<QString>& snapshotId);
    // A restore has put the keys of `path` back. True when the record changed.
    bool endEffect(const QString& path);
};

} // namespace orvane
