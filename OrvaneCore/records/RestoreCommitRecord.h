#pragma once

#include "platform/FileOperations.h"
#include "records/SetAsideFile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

namespace orvane {

struct FoundCommitRecord;

// What the next backup or restore needs to finish or undo a restore interrupted while it replaced files:
// which backup it was restoring, from which store, onto which instance (and Technic folder), the files
// whose stages or undo data lie in this undo folder's area, and the created paths it set aside there
// (its place in the protocol: RestoreRun.h). From right before the first replacement until the restore
// is finished or undone, each of its undo folders holds this record, kept ones too; the clean-up of
// leftovers never removes an undo folder holding one. The record goes once its restore was finished or
// undone, and also when a later restore or the user's emptying of a kept folder leaves nothing for it
// to finish or undo. The restore's journal names the backup in the same form (without files). A record
// holding a checked copy carries "format=2"; every other one is written without a format entry, as
// format 1, so records written before formats read as they always did. A newer format is damaged: when
// its head names this store and instance, or cannot be read, recovery refuses the operation and changes
// nothing rather than undo on a guess.
struct RestoreCommitRecord {
    // One file the restore puts in place: enough to undo it without the backup, and to tell bytes
    // played since the interruption from the two it may hold.
    struct File {
        QString relativePath; // where its undo file (a hard link or a checked copy) lies below an undo folder
        std::filesystem::path destination;
        QString sha256; // the backed-up bytes
        std::int64_t byteCount = 0;
        // The destination's bytes before the restore; absent for a file the restore creates.
        std::optional<QString> priorSHA256;
        std::optional<std::int64_t> priorByteCount;
        // Where its undo file is a copy (no second names there): the prior file's device and inode,
        // which tell a file never replaced from one replaced. Absent for a hard link.
        std::optional<std::pair<std::uint64_t, std::uint64_t>> priorFile = std::nullopt;

        bool existed() const { return priorSHA256.has_value(); }
        bool operator==(const File&) const = default;
    };

    QString restore; // one restore's token, the same in each of its undo folders
    std::filesystem::path store;
    QString backupId;
    std::filesystem::path instanceRoot;
    std::optional<std::filesystem::path> technicRoot;
    // Absent in records written before they listed their files.
    std::optional<std::vector<File>> files;
    // The created paths moved into this undo folder, each by its name there; listed before each is
    // moved, none in records written before they listed them.
    std::vector<SetAsideFile> setAside;

    bool operator==(const RestoreCommitRecord&) const = default;

    // "key=value" entries, each ended by a NUL (no path holds one).
    QByteArray encode() const;
    // Nothing when the entries do not make a whole record (one cut short included). Entries that are
    // absolute paths (a journal's folders) are passed over.
    static std::optional<RestoreCommitRecord> decode(const QByteArray& bytes);
    // What can still be read of a record whose files cannot, whatever its format: which restore, from
    // where, onto what (without files); nothing when even that is not whole.
    static std::optional<RestoreCommitRecord> decodeHead(const QByteArray& bytes);

    // The record's file in an undo folder.
    static std::filesystem::path fileIn(const std::filesystem::path& undoFolder);
    // What the record file in `undoFolder` holds (see FoundCommitRecord). Running out of open files
    // while reading it throws outOfOpenFiles; nothing is taken for damaged then.
    static FoundCommitRecord readFrom(FileOperations& files, const std::filesystem::path& undoFolder);

private:
    static std::optional<RestoreCommitRecord> decodeEntries(const QByteArray& bytes, bool headOnly);
};

// What an undo folder's record file holds. A record that is there but cannot be read or decoded is
// damaged: a restore of unknown extent (its head tells whose, when it can still be read).
struct FoundCommitRecord {
    enum class State { absent, whole, damaged };
    State state = State::absent;
    std::optional<RestoreCommitRecord> record; // whole: the record; damaged: its head, when readable
};

} // namespace orvane
