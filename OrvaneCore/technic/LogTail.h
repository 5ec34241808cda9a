#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace orvane {

// Follows one file that is being written: each read returns only the text the file gained since
// the read before, so the cost of a read depends on what was added, never on the file's size.
//
// The file is known by its device and inode: when the path names another file (a log rotated at
// start-up) or the file got shorter (truncated), it is read again from its beginning. Bytes are
// decoded as UTF-8; a character cut by the end of what was written so far waits for the next read,
// and invalid bytes become U+FFFD instead of costing the whole chunk. Links, folders and FIFOs are
// never read. Reading never throws: whatever cannot be read counts as "nothing new".
class LogTail final {
public:
    // With `edgeBytes`, only bytes among the first and the last `edgeBytes` of the file are ever
    // read (a crash report's header stands at its top, its latest lines at its end); the middle of
    // a large file is skipped, and the tail is read again as the file grows.
    explicit LogTail(std::filesystem::path path, std::optional<std::uint64_t> edgeBytes = std::nullopt);

    // Takes what the file holds now as read, so that only text written from here on is returned.
    // A file that is missing (or not a regular file) now will be read from its start when it appears.
    void skipExisting();

    // Receives the text of a read piece by piece, in file order. `continues` is false for a piece
    // that does not follow on from the text given before: the file read again from its start, or
    // the tail after a skipped middle.
    using TextSink = std::function<void(QStringView text, bool continues)>;

    // The text gained since the last read: from the saved offset up to the size the file had when
    // this read began (what is written meanwhile comes next time, once). It reaches `sink` in pieces
    // of about a MiB, so that however much a file gained, it is never held whole.
    void readNew(const TextSink& sink);
    // The same text in one string, for files that stay small.
    QString readNew();

    // Bytes of the current file taken into account so far.
    std::uint64_t offset() const { return m_offset; }

    // Bytes read from disk by this tail in total (for tests and benchmarks of the reading cost).
    std::uint64_t bytesRead() const { return m_bytesRead; }

private:
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        bool operator==(const Identity&) const = default;
    };

    void restart();
    // Reads [from, to) of `fd` into the decoder; false when the file ended early or failed.
    bool readRange(int fd, std::uint64_t from, std::uint64_t to, const TextSink& sink);
    void decode(QByteArray bytes, const TextSink& sink);
    void cutHere();

    std::filesystem::path m_path;
    std::optional<std::uint64_t> m_edgeBytes;
    std::optional<Identity> m_identity;
    std::uint64_t m_offset = 0;
    std::uint64_t m_bytesRead = 0;
    // The start of a UTF-8 character whose remaining bytes have not been written yet.
    QByteArray m_pending;
    // After a deliberate cut, continuation bytes of the character cut in two are skipped.
    bool m_skipContinuation = false;
    // The next piece does not follow on from the last one given.
    bool m_broken = true;
};

} // namespace orvane
