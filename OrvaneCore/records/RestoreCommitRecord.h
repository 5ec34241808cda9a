#pragma once

#include "platform/FileOperations.h"

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <optional>

namespace orvane {

// What the next backup or restore needs to finish a restore interrupted while it replaced files: which
// backup it was restoring, from which store, onto which instance. From right before the first
// replacement until the restore is done, each of its undo folders holds this record; an undo folder
// holding one is never removed by the clean-up of leftovers, only once that restore was finished.
// The restore's journal names the backup in the same form.
struct RestoreCommitRecord {
    QString restore; // one restore's token, the same in each of its undo folders
    std::filesystem::path store;
    QString backupId;
    std::filesystem::path instanceRoot;
    std::optional<std::filesystem::path> technicRoot;

    bool operator==(const RestoreCommitRecord&) const = default;

    // "key=value" entries, each ended by a NUL (no path holds one).
    QByteArray encode() const;
    // Nothing when the entries do not make a whole record. Entries that are absolute paths (a
    // journal's folders) are passed over.
    static std::optional<RestoreCommitRecord> decode(const QByteArray& bytes);

    // The record's file in an undo folder.
    static std::filesystem::path fileIn(const std::filesystem::path& undoFolder);
    // The record in `undoFolder`, or nothing when there is none or it cannot be read.
    static std::optional<RestoreCommitRecord> readFrom(FileOperations& files, const std::filesystem::path& undoFolder);
};

} // namespace orvane
