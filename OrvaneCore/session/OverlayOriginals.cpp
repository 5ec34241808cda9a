#include "session/OverlayOriginals.h"

#include "json/JsonCodecs.h"
#include "json/JsonReader.h"
#include "json/JsonWriter.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

namespace orvane {

namespace {

constexpr std::uint64_t kRecordByteLimit = std::uint64_t(1) << 20;

OverlayOriginal decodeFile(const QJsonValue& value, const QString& what)
{
    const JsonReader r(value, what);
    OverlayOriginal file;
    file.path = r.string(QStringLiteral("path"));
    file.backupId = r.string(QStringLiteral("backupId"));
    for (const QString& key : r.strings(QStringLiteral("keys")))
        file.keys.append(key);
    file.inEffect = r.boolean(QStringLiteral("inEffect"));
    return file;
}

} // namespace

std::filesystem::path OverlayOriginals::location(const std::filesystem::path& applicationSupport)
{
    return applicationSupport / "overlay-originals.json";
}

std::optional<OverlayOriginals> OverlayOriginals::read(FileOperations& files, const std::filesystem::path& location)
{
    const std::optional<QByteArray> bytes = readBytes(files, location);
    return bytes ? decode(*bytes) : std::nullopt;
}

std::optional<QByteArray> OverlayOriginals::readBytes(FileOperations& files, const std::filesystem::path& location)
{
    return readFileIfPossible(files, location, kRecordByteLimit, false);
}

std::optional<OverlayOriginals> OverlayOriginals::decode(const QByteArray& bytes)
{
    try {
        const JsonReader r = JsonReader::parse(bytes, QStringLiteral("OverlayOriginals"));
        return OverlayOriginals{r.list(QStringLiteral("files"), decodeFile)};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

QByteArray OverlayOriginals::encoded() const
{
    const QJsonArray list = toJsonArray(files, [](const OverlayOriginal& file) {
        return QJsonObject{{QStringLiteral("path"), file.path},
                           {QStringLiteral("backupId"), file.backupId},
                           {QStringLiteral("keys"), QJsonArray::fromStringList(file.keys)},
                           {QStringLiteral("inEffect"), file.inEffect}};
    });
    return encodeJson(QJsonObject{{QStringLiteral("files"), list}});
}

void OverlayOriginals::write(FileOperations& files, const std::filesystem::path& location) const
{
    files.createDirectories(location.parent_path(), 0700);
    files.writeAtomically(location, encoded(), 0600);
}

const OverlayOriginal* OverlayOriginals::find(const QString& path) const
{
    const auto it = std::find_if(files.begin(), files.end(), [&](const OverlayOriginal& f) { return f.path == path; });
    return it == files.end() ? nullptr : &*it;
}

bool OverlayOriginals::noteWrite(const QString& path, const QStringList& keys, const std::optional<QString>& snapshotId)
{
    auto it = std::find_if(files.begin(), files.end(), [&](const OverlayOriginal& f) { return f.path == path; });
    if (it != files.end() && it->inEffect) {
        bool changed = false;
        for (const QString& key : keys) {
            if (!it->keys.contains(key)) {
                it->keys.append(key);
                changed = true;
            }
        }
        return changed;
    }
    if (!snapshotId)
        return false;
    OverlayOriginal fresh{path, *snapshotId, keys, true};
    if (it != files.end())
        *it = std::move(fresh);
    else
        files.push_back(std::move(fresh));
    return true;
}

bool OverlayOriginals::endEffect(const QString& path)
{
    auto it = std::find_if(files.begin(), files.end(), [&](const OverlayOriginal& f) { return f.path == path; });
    if (it == files.end() || !it->inEffect)
        return false;
    it->inEffect = false;
    return true;
}

} // namespace orvane
