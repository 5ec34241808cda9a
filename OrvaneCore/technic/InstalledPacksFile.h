#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace orvane {

class FileOperations;

// The launcher's pack table, installedPacks in its data folder.
struct InstalledPacksFile {
    struct InstalledPack {
        QString name;
        std::optional<QString> build;
        // Where the launcher keeps the pack: "%MODPACKS%\<slug>", "launcher\<path>" or an absolute path.
        std::optional<QString> directory;

        bool operator==(const InstalledPack&) const = default;
    };

    // Pack key to pack; iterated in key order.
    std::map<QString, InstalledPack> installedPacks;
    std::vector<QString> byIndex;
    std::optional<QString> selected;

    bool operator==(const InstalledPacksFile&) const = default;

    // Reads the file at `path`. An empty file is an empty table. Throws the read error, a
    // DecodingError for text that is not JSON, or OrvaneError::io when the top level is not an object.
    static InstalledPacksFile read(const std::filesystem::path& path, FileOperations& files);
    // The same for bytes in hand.
    static InstalledPacksFile parse(const QByteArray& bytes);

    // The first entry whose key, else whose name, names Tekkit 2.
    std::optional<std::pair<QString, InstalledPack>> tekkitPack() const;
    // Lower-cased with "_" read as "-", the text holds "tekkit-2", "tekkit2" or "tekkit 2".
    static bool namesTekkit(const QString& text);

    // The folder a pack's `directory` names. "launcher\" (or "launcher/") at the start means the
    // data folder itself; every "%MODPACKS%\" or "%MODPACKS%/" is dropped and "\" read as "/"; an
    // absolute result is taken as it is, anything else lies in dataRoot/"modpacks". Nothing when
    // no folder is left to name.
    static std::optional<std::filesystem::path> resolveDirectory(const QString& directory,
                                                                 const std::filesystem::path& dataRoot);
};

} // namespace orvane
