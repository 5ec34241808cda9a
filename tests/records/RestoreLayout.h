#pragma once

#include "model/OrvaneError.h"

#include "BackupLayout.h"

#include <QString>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orvane::test {

// The backup layout plus the application's private temporary folder for restores.
struct RestoreLayout : BackupLayout {
    std::filesystem::path tmp = home / "Library/Application Support/orvane/tmp";
};

// Every regular file below `folder` by its path relative to the folder; links and folders are named
// with a marker so that a change of type shows up too.
inline std::map<std::string, QByteArray> treeOf(const std::filesystem::path& folder)
{
    std::map<std::string, QByteArray> tree;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const auto relative = it->path().lexically_relative(folder).native();
        if (it->is_symlink())
            tree[relative] = "<link>";
        else if (it->is_regular_file())
            tree[relative] = readFile(it->path());
        else if (!it->is_directory())
            tree[relative] = "<special>";
    }
    return tree;
}

// Items below `folder` that a restore made (stages, rollback and preserved copies).
inline std::vector<std::filesystem::path> restoreLeftovers(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->path().filename().native().rfind(".orvane-restore-", 0) == 0)
            found.push_back(it->path());
    }
    return found;
}

inline QString text(const std::filesystem::path& p)
{
    return QString::fromStdString(p.native());
}

// The OrvaneError `f` throws (its kind and full sentence), or a marker when it throws none.
template <class F>
std::pair<OrvaneError::Kind, QString> orvaneErrorOf(F&& f)
{
    try {
        f();
    } catch (const OrvaneError& e) {
        return {e.kind(), e.description()};
    }
    return {OrvaneError::Kind::technicDataMissing, QStringLiteral("<no OrvaneError>")};
}

inline std::pair<OrvaneError::Kind, QString> ioError(const QString& sentence)
{
    return {OrvaneError::Kind::io, sentence};
}

inline std::pair<OrvaneError::Kind, QString> corruptError(const QString& text)
{
    return {OrvaneError::Kind::backupCorrupt, QStringLiteral("The backup failed verification: ") + text};
}

} // namespace orvane::test
