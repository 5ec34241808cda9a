#include "records/RestoreCommitRecord.h"

#include "platform/OwnItemNames.h"
#include "platform/PathText.h"
#include "records/RestoreCommitRecordFormat.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

namespace {

std::filesystem::path bytesPath(const QByteArray& bytes)
{
    return std::filesystem::path(bytes.toStdString());
}

bool isDigest(const QByteArray& text)
{
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    });
}

std::optional<std::int64_t> countOf(const QByteArray& text)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < 0 || text.startsWith('+') || text.startsWith('-'))
        return std::nullopt;
    return std::int64_t(value);
}

// Relative, and no piece that is empty, "." or "..": an undo file found there lies in its undo folder.
bool isPlainRelativePath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return false;
    const QStringList pieces = path.split(QLatin1Char('/'));
    return std::none_of(pieces.begin(), pieces.end(), [](const QString& piece) {
        return piece.isEmpty() || piece == QLatin1String(".") || piece == QLatin1String("..");
    });
}

std::optional<RestoreCommitRecord::File> decodeFileEntry(const QByteArray& value)
{
    const QList<QByteArray> fields = value.split(' ');
    if (fields.size() < 5)
        return std::nullopt;
    RestoreCommitRecord::File file;
    const auto count = countOf(fields[1]);
    if (!isDigest(fields[0]) || !count)
        return std::nullopt;
    file.sha256 = QString::fromLatin1(fields[0]);
    file.byteCount = *count;
    if (fields[2] != "-" || fields[3] != "-") {
        const auto priorCount = countOf(fields[3]);
        if (!isDigest(fields[2]) || !priorCount)
            return std::nullopt;
        file.priorSHA256 = QString::fromLatin1(fields[2]);
        file.priorByteCount = *priorCount;
    }
    // The rest is the path, which may hold spaces.
    const qsizetype start = fields[0].size() + fields[1].size() + fields[2].size() + fields[3].size() + 4;
    const QByteArray path = value.mid(start);
    file.relativePath = QString::fromUtf8(path);
    if (file.relativePath.toUtf8() != path || !isPlainRelativePath(file.relativePath))
        return std::nullopt;
    return file;
}

std::optional<SetAsideFile> decodeSetAside(const QByteArray& value)
{
    const qsizetype space = value.indexOf(' ');
    if (space <= 0)
        return std::nullopt;
    const QByteArray name = value.left(space);
    const std::filesystem::path original = bytesPath(value.mid(space + 1));
    // A name in the undo folder itself, of the set-aside kind.
    if (!std::string_view(name.constData(), std::size_t(name.size())).starts_with(ownItemNames::setAside)
        || name.contains('/') || !original.is_absolute())
        return std::nullopt;
    return SetAsideFile{bytesPath(name), standardised(original)};
}

// "<device> <inode>", both plain numbers.
std::optional<std::pair<std::uint64_t, std::uint64_t>> decodeFileId(const QByteArray& value)
{
    const QList<QByteArray> ids = value.split(' ');
    if (ids.size() != 2)
        return std::nullopt;
    bool deviceOk = false, inodeOk = false;
    const qulonglong device = ids[0].toULongLong(&deviceOk);
    const qulonglong inode = ids[1].toULongLong(&inodeOk);
    if (!deviceOk || !inodeOk)
        return std::nullopt;
    return std::pair(std::uint64_t(device), std::uint64_t(inode));
}

// A format this build reads.
bool isKnownFormat(const QByteArray& value)
{
    const auto format = countOf(value);
    return format && *format >= 1 && *format <= commitRecordFormat::newest;
}

// Calls `read(key, value)` for each whole "key=value" entry, in order. Bytes after the last NUL were
// cut short and are not an entry; empty entries, entries without a key and absolute paths (a
// journal's folders) are passed over.
template <typename Read>
void forEachEntry(const QByteArray& bytes, const Read& read)
{
    const QByteArray whole = bytes.left(bytes.lastIndexOf('\0') + 1);
    for (const QByteArray& entry : whole.split('\0')) {
        const qsizetype equals = entry.indexOf('=');
        if (entry.isEmpty() || entry.startsWith('/') || equals <= 0)
            continue;
        read(entry.left(equals), entry.mid(equals + 1));
    }
}

// Which restore, from where, onto what: the entries every record and journal begins with. The last
// entry of a key counts.
class HeadEntries final {
public:
    // False for a key that is not one of the head's.
    bool read(const QByteArray& key, const QByteArray& value)
    {
        std::optional<QByteArray>* field = fieldFor(key);
        if (field)
            *field = value;
        return field != nullptr;
    }

    // The record without its files; nothing unless every key but "technic" is there, the backup is
    // named and every path is absolute.
    std::optional<RestoreCommitRecord> record() const
    {
        if (!m_restore || !m_store || !m_backup || !m_instance)
            return std::nullopt;
        RestoreCommitRecord head;
        head.restore = QString::fromUtf8(*m_restore);
        head.store = bytesPath(*m_store);
        head.backupId = QString::fromUtf8(*m_backup);
        head.instanceRoot = bytesPath(*m_instance);
        if (m_technic)
            head.technicRoot = bytesPath(*m_technic);
        const bool absolute = head.store.is_absolute() && head.instanceRoot.is_absolute()
            && (!head.technicRoot || head.technicRoot->is_absolute());
        if (!absolute || head.backupId.isEmpty())
            return std::nullopt;
        return head;
    }

private:
    std::optional<QByteArray>* fieldFor(const QByteArray& key)
    {
        if (key == "restore")
            return &m_restore;
        if (key == "store")
            return &m_store;
        if (key == "backup")
            return &m_backup;
        if (key == "instance")
            return &m_instance;
        if (key == "technic")
            return &m_technic;
        return nullptr;
    }

    std::optional<QByteArray> m_restore, m_store, m_backup, m_instance, m_technic;
};

// What a record lists: its files (each "file" entry, then its own "to" and "copied") and the created
// paths it set aside. One entry that does not read, or comes where it may not, spoils the whole list.
class ListedEntries final {
public:
    // A key that is not one of the list's (a later build's) is passed over.
    void read(const QByteArray& key, const QByteArray& value)
    {
        if (key == "files")
            readCount(value);
        else if (key == "file")
            readFile(value);
        else if (key == "to")
            readDestination(value);
        else if (key == "copied")
            readCopied(value);
        else if (key == "aside")
            readSetAside(value);
    }

    // True when every entry read, and the files are exactly as many as the one count says (none
    // without a count).
    bool isWhole() const { return m_whole && (m_count ? *m_count == m_files.size() : m_files.empty()); }

    // Gives each file its destination: the place its "to" names, or else below `instanceRoot` at its
    // relative path. False when one is not absolute.
    bool place(const std::filesystem::path& instanceRoot)
    {
        for (std::size_t i = 0; i < m_files.size(); ++i) {
            RestoreCommitRecord::File& file = m_files[i];
            file.destination = m_elsewhere[i] ? standardised(*m_elsewhere[i])
                                              : commitRecordFormat::usualDestination(instanceRoot, file.relativePath);
            if (!file.destination.is_absolute())
                return false;
        }
        return true;
    }

    // None for a record without a count: written before records listed their files.
    std::optional<std::vector<RestoreCommitRecord::File>> takeFiles()
    {
        if (!m_count)
            return std::nullopt;
        return std::move(m_files);
    }

    std::vector<SetAsideFile> takeSetAside() { return std::move(m_setAside); }

private:
    // Once, before the files.
    void readCount(const QByteArray& value)
    {
        const auto count = countOf(value);
        m_whole = m_whole && count && !m_count;
        m_count = count ? std::optional(std::uint64_t(*count)) : std::nullopt;
    }

    void readFile(const QByteArray& value)
    {
        const auto file = decodeFileEntry(value);
        m_whole = m_whole && file;
        if (file) {
            m_files.push_back(*file);
            m_elsewhere.emplace_back();
        }
    }

    // Where the file just before it lies, when not at its usual place; once per file.
    void readDestination(const QByteArray& value)
    {
        m_whole = m_whole && !m_elsewhere.empty() && !m_elsewhere.back() && !value.isEmpty();
        if (!m_elsewhere.empty())
            m_elsewhere.back() = bytesPath(value);
    }

    // The file just before it has a checked copy as its undo file; once per file.
    void readCopied(const QByteArray& value)
    {
        const auto id = decodeFileId(value);
        m_whole = m_whole && !m_files.empty() && id && !m_files.back().priorFile;
        if (!m_files.empty() && id)
            m_files.back().priorFile = *id;
    }

    void readSetAside(const QByteArray& value)
    {
        const auto item = decodeSetAside(value);
        m_whole = m_whole && item;
        if (item)
            m_setAside.push_back(*item);
    }

    bool m_whole = true;
    std::optional<std::uint64_t> m_count;
    std::vector<RestoreCommitRecord::File> m_files;
    std::vector<std::optional<std::filesystem::path>> m_elsewhere; // each file's "to", by index into m_files
    std::vector<SetAsideFile> m_setAside;
};

} // namespace

std::optional<RestoreCommitRecord> RestoreCommitRecord::decode(const QByteArray& bytes)
{
    return decodeEntries(bytes, false);
}

std::optional<RestoreCommitRecord> RestoreCommitRecord::decodeHead(const QByteArray& bytes)
{
    return decodeEntries(bytes, true);
}

std::optional<RestoreCommitRecord> RestoreCommitRecord::decodeEntries(const QByteArray& bytes, bool headOnly)
{
    // Every entry ends with a NUL: bytes that do not were cut short, and only a head may still be read
    // from the entries before the cut.
    if (!bytes.endsWith('\0') && !headOnly)
        return std::nullopt;
    HeadEntries head;
    ListedEntries listed;
    bool knownFormat = true;
    forEachEntry(bytes, [&](const QByteArray& key, const QByteArray& value) {
        if (head.read(key, value) || headOnly)
            return;
        if (key == "format")
            knownFormat = knownFormat && isKnownFormat(value);
        else
            listed.read(key, value);
    });
    auto record = head.record();
    if (!record || headOnly)
        return record;
    if (!knownFormat || !listed.isWhole())
        return std::nullopt;
    if (!listed.place(record->instanceRoot))
        return std::nullopt;
    record->files = listed.takeFiles();
    record->setAside = listed.takeSetAside();
    return record;
}

} // namespace orvane
