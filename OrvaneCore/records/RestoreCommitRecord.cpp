#include "records/RestoreCommitRecord.h"

#include "platform/OwnItemNames.h"
#include "platform/PathText.h"
#include "records/OutOfOpenFiles.h"
#include "records/RestoreCommitRecordFormat.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <system_error>

#include <sys/stat.h>

namespace orvane {

namespace {

// A record lists the files of one area, a few hundred bytes each; anything larger is not one of ours.
constexpr std::uint64_t kRecordByteLimit = std::uint64_t(256) << 20;

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
    return file.destination == commitRecordFormat::usualDestination(instanceRoot, file.relativePath);
}

// "<name in the undo folder> <original path>".
QByteArray setAsideEntry(const SetAsideFile& item)
{
    return pathBytes(item.aside) + ' ' + pathBytes(item.original);
}

} // namespace

QByteArray RestoreCommitRecord::encode() const
{
    QByteArray bytes;
    if (holdsCopies(files))
        append(bytes, "format", QByteArray::number(qlonglong(commitRecordFormat::newest)));
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
    for (const SetAsideFile& item : setAside)
        append(bytes, "aside", setAsideEntry(item));
    return bytes;
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
