#include "technic/InstalledPacksFile.h"

#include "model/CertifiedPack.h"
#include "platform/FileOperations.h"
#include "platform/PathText.h"
#include "technic/TechnicFileReading.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

namespace orvane {

namespace {

const QString kFileName = QStringLiteral("installedPacks");

std::optional<QString> stringMember(const QJsonObject& object, const QString& key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

InstalledPacksFile InstalledPacksFile::read(const std::filesystem::path& path, FileOperations& files)
{
    return parse(files.readRegularFile(path, technicFileByteLimit));
}

InstalledPacksFile InstalledPacksFile::parse(const QByteArray& bytes)
{
    InstalledPacksFile file;
    if (bytes.isEmpty())
        return file;
    const QJsonObject root = parseJsonObject(bytes, kFileName);

    const QJsonObject table = root.value(QLatin1String("installedPacks")).toObject();
    for (auto it = table.begin(); it != table.end(); ++it) {
        if (!it.value().isObject())
            continue;
        const QJsonObject pack = it.value().toObject();
        file.installedPacks.emplace(it.key(), InstalledPack{stringMember(pack, QStringLiteral("name")).value_or(it.key()),
                                                            stringMember(pack, QStringLiteral("build")),
                                                            stringMember(pack, QStringLiteral("directory"))});
    }

    const QJsonValue byIndex = root.value(QLatin1String("byIndex"));
    bool allStrings = byIndex.isArray();
    if (allStrings) {
        for (const auto& entry : byIndex.toArray())
            allStrings = allStrings && entry.isString();
    }
    if (allStrings) {
        for (const auto& entry : byIndex.toArray())
            file.byIndex.push_back(entry.toString());
    } else {
        for (const auto& [key, pack] : file.installedPacks)
            file.byIndex.push_back(key);
    }
    file.selected = stringMember(root, QStringLiteral("selected"));
    return file;
}

bool InstalledPacksFile::namesTekkit(const QString& text)
{
    const QString folded = text.toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
    return std::any_of(CertifiedPack::acceptedSlugs.begin(), CertifiedPack::acceptedSlugs.end(),
                       [&folded](const QString& slug) { return folded.contains(slug); });
}

std::optional<std::pair<QString, InstalledPacksFile::InstalledPack>> InstalledPacksFile::tekkitPack() const
{
    for (const auto& [key, pack] : installedPacks) {
        if (namesTekkit(key) || namesTekkit(pack.name))
            return std::make_pair(key, pack);
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> InstalledPacksFile::resolveDirectory(const QString& directory,
                                                                          const std::filesystem::path& dataRoot)
{
    QString rest = directory;
    std::filesystem::path base = dataRoot / "modpacks";
    // The launcher's own prefix for paths inside its data folder.
    if (rest.startsWith(QLatin1String("launcher\\")) || rest.startsWith(QLatin1String("launcher/"))) {
        rest.remove(0, int(qstrlen("launcher\\")));
        base = dataRoot;
    }
    rest.remove(QLatin1String("%MODPACKS%\\"));
    rest.remove(QLatin1String("%MODPACKS%/"));
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (rest.startsWith(QLatin1Char('/')))
        return standardised(pathFromText(rest));
    while (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    if (rest.isEmpty())
        return std::nullopt;
    return standardised(base / pathFromText(rest));
}

} // namespace orvane
