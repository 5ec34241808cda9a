#include "records/RestoreCommitRecord.h"

#include "platform/OwnItemNames.h"
#include "platform/PathText.h"
#include "records/OutOfOpenFiles.h"

#include <QList>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <string_view>
#include <system_error>

#include <sys/stat.h>

namespace orvane {

namespace {

// A record lists the files of one area, a few hundred bytes each; anything larger is not one of ours.
constexpr std::uint64_t kRecordByteLimit = std::uint64_t(256) << 20;

// The record's format. 1: every record without a "format" entry (so older builds still read those as
// they always did). 2: a record whose undo data includes a checked copy ("copied" entries), which a
// reader of format 1 would take for a link. A newer format is not read: the record is damaged and its
// folder is kept, never undone on a guess.
constexpr std::int64_t kNewestFormat = 2;

bool holdsCopies(const std::optional<std::vector<RestoreCommitRecord::File>>& files)
{
    return files && std::any_of(files->begin(), files->end(), [](const auto& file) { return file.priorFile.has_value(); });
}

void append(QByteArray& bytes, const char* key, const QByteArray& value)
{
    bytes.append(key);
    bytes.append('=');
    bytes.append(value);
    bytes.append('\0');
}

QByteArray pathBytes(const std::filesystem::path& path)
{
    return QByteArray(path.c_str(), qsizetype(path.native().size()));
}

std::filesystem::path bytesPath(const QByteArray& bytes)
{
    return std::filesystem::path(bytes.toStdString());
}

// Where a file lies when the record names no other place: below the instance at its relative path.
std::filesystem::path usualDestination(const std::filesystem::path& instanceRoot, const QString& relativePath)
{
    return standardised(instanceRoot / pathFromText(relativePath));
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

// Relative, and no piece that is empty, "." or "..": an undo link found there lies in its undo folder.
bool isPlainRelativePath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return false;
    const QStringList pieces = path.split(QLatin1Char('/'));
    return std::none_of(pieces.begin(), pieces.end(), [](const QString& piece) {
        return piece.isEmpty() || piece == QLatin1String(".") || piece == QLatin1String("..");
    });
}

// Appends "file=<sha256> <bytes> <prior sha256 or -> <prior bytes or -> <relative path>" in place: a
// world's record lists tens of thousands of files, so no entry is built apart first.
void appendFileEntry(QByteArray& bytes, const RestoreCommitRecord::File& file, const QByteArray& relative)
{
    bytes.append("file=");
    bytes.append(file.sha256.toUtf8());
    bytes.append(' ');
    bytes.append(QByteArray::number(qlonglong(file.byteCount)));
    bytes.append(' ');
    if (file.priorSHA256 && file.priorByteCount) {
        bytes.append(file.priorSHA256->toUtf8());
        bytes.append(' ');
        bytes.append(QByteArray::number(qlonglong(*file.priorByteCount)));
    } else {
        bytes.append("- -");
    }
    bytes.append(' ');
    bytes.append(relative);
    bytes.append('\0');
}

// Whether `destination` is where the file lies when the record names no other place. The text of a
// standardised root joined with a plain relative path is compared first: it is that place, and costs
// no path built for the usual case.
bool liesAtUsualPlace(const std::filesystem::path& instanceRoot, const RestoreCommitRecord::File& file,
                      const QByteArray& relative)
{
    const std::string_view root = instanceRoot.native(), text = file.destination.native();
    const std::size_t prefix = root == "/" ? 1 : root.size() + 1;
    if (text.size() == prefix + std::size_t(relative.size()) && text.starts_with(root) && text[prefix - 1] == '/'
        && text.substr(prefix) == std::string_view(relative.constData(), std::size_t(relative.size())))
        return true;
    return file.destination == usualDestination(instanceRoot, file.relativePath);
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

// "<name in the undo folder> <original path>".
QByteArray setAsideEntry(const RestoreCommitRecord::SetAside& item)
{
    return pathBytes(item.name) + ' ' + pathBytes(item.original);
}

std::optional<RestoreCommitRecord::SetAside> decodeSetAside(const QByteArray& value)
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
    return RestoreCommitRecord::SetAside{bytesPath(name), standardised(original)};
}

} // namespace

QByteArray RestoreCommitRecord::encode() const
{
    QByteArray bytes;
    if (holdsCopies(files))
        append(bytes, "format", QByteArray::number(qlonglong(kNewestFormat)));
    append(bytes, "restore", restore.toUtf8());
    append(bytes, "store", pathBytes(store));
    append(bytes, "backup", backupId.toUtf8());
    append(bytes, "instance", pathBytes(instanceRoot));
    if (technicRoot)
        append(bytes, "technic", pathBytes(*technicRoot));
    if (files) {
        append(bytes, "files", QByteArray::number(qulonglong(files->size())));
        bytes.reserve(bytes.size() + qsizetype(files->size()) * 256);
        for (const File& file : *files) {
            const QByteArray relative = file.relativePath.toUtf8();
            appendFileEntry(bytes, file, relative);
            if (!liesAtUsualPlace(instanceRoot, file, relative))
                append(bytes, "to", pathBytes(file.destination));
            if (file.priorFile)
                append(bytes, "copied",
                       QByteArray::number(qulonglong(file.priorFile->first)) + ' '
                           + QByteArray::number(qulonglong(file.priorFile->second)));
        }
    }
    for (const SetAside& item : setAside)
        append(bytes, "aside", setAsideEntry(item));
    return bytes;
}

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
    RestoreCommitRecord record;
    bool hasRestore = false, hasStore = false, hasBackup = false, hasInstance = false, filesWhole = true;
    bool readable = true; // a format this build knows
    std::optional<std::uint64_t> fileCount;
    std::vector<File> files;
    std::vector<std::optional<std::filesystem::path>> elsewhere; // a file's "to", by index into `files`
    const QByteArray whole = bytes.left(bytes.lastIndexOf('\0') + 1);
    for (const QByteArray& entry : whole.split('\0')) {
        const qsizetype equals = entry.indexOf('=');
        if (entry.isEmpty() || entry.startsWith('/') || equals <= 0)
            continue;
        const QByteArray key = entry.left(equals);
        const QByteArray value = entry.mid(equals + 1);
        if (key == "format") {
            const auto format = countOf(value);
            readable = readable && format && *format >= 1 && *format <= kNewestFormat;
        } else if (key == "restore") {
            record.restore = QString::fromUtf8(value);
            hasRestore = true;
        } else if (key == "store") {
            record.store = bytesPath(value);
            hasStore = true;
        } else if (key == "backup") {
            record.backupId = QString::fromUtf8(value);
            hasBackup = true;
        } else if (key == "instance") {
            record.instanceRoot = bytesPath(value);
            hasInstance = true;
        } else if (key == "technic") {
            record.technicRoot = bytesPath(value);
        } else if (headOnly) {
            continue;
        } else if (key == "files") {
            const auto count = countOf(value);
            filesWhole = filesWhole && count.has_value() && !fileCount;
            fileCount = count ? std::optional(std::uint64_t(*count)) : std::nullopt;
        } else if (key == "file") {
            const auto file = decodeFileEntry(value);
            filesWhole = filesWhole && file.has_value();
            if (file) {
                files.push_back(*file);
                elsewhere.emplace_back();
            }
        } else if (key == "aside") {
            const auto item = decodeSetAside(value);
            filesWhole = filesWhole && item.has_value();
            if (item)
                record.setAside.push_back(*item);
        } else if (key == "copied") {
            // Of the file just before it: its undo data is a copy of the prior file named here.
            const QList<QByteArray> ids = value.split(' ');
            bool deviceOk = false, inodeOk = false;
            const qulonglong device = ids.size() == 2 ? ids[0].toULongLong(&deviceOk) : 0;
            const qulonglong inode = ids.size() == 2 ? ids[1].toULongLong(&inodeOk) : 0;
            filesWhole = filesWhole && !files.empty() && deviceOk && inodeOk && !files.back().priorFile;
            if (!files.empty() && deviceOk && inodeOk)
                files.back().priorFile = std::pair(std::uint64_t(device), std::uint64_t(inode));
        } else if (key == "to") {
            // Names where the file just before it lies.
            filesWhole = filesWhole && !elsewhere.empty() && !elsewhere.back() && !value.isEmpty();
            if (!elsewhere.empty())
                elsewhere.back() = bytesPath(value);
        }
    }
    if ((!readable && !headOnly) || !filesWhole || (fileCount && *fileCount != files.size()) || (!fileCount && !files.empty()))
        return std::nullopt;
    if (fileCount) {
        for (std::size_t i = 0; i < files.size(); ++i) {
            files[i].destination = elsewhere[i] ? standardised(*elsewhere[i])
                                                : usualDestination(record.instanceRoot, files[i].relativePath);
            if (!files[i].destination.is_absolute())
                return std::nullopt;
        }
        record.files = std::move(files);
    }
    const bool absolute = record.store.is_absolute() && record.instanceRoot.is_absolute()
        && (!record.technicRoot || record.technicRoot->is_absolute());
    if (!hasRestore || !hasStore || !hasBackup || !hasInstance || !absolute || record.backupId.isEmpty())
        return std::nullopt;
    return record;
}

std::filesystem::path RestoreCommitRecord::fileIn(const std::filesystem::path& undoFolder)
{
    return undoFolder / ownItemNames::commitRecord;
}

FoundCommitRecord RestoreCommitRecord::readFrom(FileOperations& files, const std::filesystem::path& undoFolder)
{
    const std::filesystem::path file = fileIn(undoFolder);
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR))
        return FoundCommitRecord{FoundCommitRecord::State::absent, std::nullopt};
    QByteArray bytes;
    try {
        bytes = files.readRegularFile(file, kRecordByteLimit, false);
    } catch (const std::system_error& error) {
        rethrowIfOutOfOpenFiles(error, file);
        return FoundCommitRecord{FoundCommitRecord::State::damaged, std::nullopt}; // a link, a folder, a FIFO, unreadable…
    }
    if (auto record = decode(bytes))
        return FoundCommitRecord{FoundCommitRecord::State::whole, std::move(record)};
    return FoundCommitRecord{FoundCommitRecord::State::damaged, decodeHead(bytes)};
}

} // namespace orvane
