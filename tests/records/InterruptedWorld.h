#pragma once

#include "platform/FileOperations.h"
#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "KilledChild.h"
#include "RestoreLayout.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orvane::test {

inline const QString kFinished = QStringLiteral("Orvane first finished a world restore that was interrupted.");
inline const QString kUndone =
    QStringLiteral("Orvane first undid a world restore that was interrupted, because its backup no longer verifies.");

inline bool isRestoreItem(const std::filesystem::path& path)
{
    for (const auto& part : path) {
        if (part.native().find("orvane-restore") != std::string::npos)
            return true;
    }
    return false;
}

// Every path below `folder` whose name contains `needle` (not looking into matched folders).
inline std::vector<std::filesystem::path> namedBelow(const std::filesystem::path& folder, const std::string& needle)
{
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->path().filename().native().find(needle) != std::string::npos) {
            found.push_back(it->path());
            it.disable_recursion_pending();
        }
    }
    return found;
}

// A world of three files, backed up, then changed: a restore swaps all three, in manifest order
// data/villages.dat, level.dat, region/r.0.0.mca.
struct InterruptedWorld : ::testing::Test {
    RestoreLayout layout;
    std::filesystem::path villages = layout.saves / "World/data/villages.dat";
    std::filesystem::path level = layout.saves / "World/level.dat";
    std::filesystem::path region = layout.saves / "World/region/r.0.0.mca";
    BackupManifest backup;
    std::map<std::string, QByteArray> backedUp; // the world the backup holds
    std::map<std::string, QByteArray> changed;  // the world before the restore

    InterruptedWorld()
    {
        writeFile(villages, "villages v1");
        writeFile(level, "level v1");
        writeFile(region, QByteArray(100000, 'a'));
        backup = store(FileOperations::system()).createWorldBackup(layout.instance, "w");
        backedUp = world();
        changeWorld();
        changed = world();
    }

    // Each case starts from the changed world with the backup in place (made again when an earlier
    // case deleted it) and an empty private folder.
    void startCase()
    {
        if (!std::filesystem::exists(layout.worldStore / backup.id.toStdString())) {
            for (const auto& [relative, bytes] : backedUp)
                writeFile(layout.saves / relative, bytes);
            backup = store(FileOperations::system()).createWorldBackup(layout.instance, "w");
        }
        changeWorld();
        std::filesystem::remove_all(layout.tmp);
    }

    void changeWorld() const
    {
        writeFile(villages, "villages v2");
        writeFile(level, "level v2");
        writeFile(region, QByteArray(90000, 'b'));
    }

    BackupStore store(std::shared_ptr<FileOperations> files) const
    {
        return BackupStore(layout.worldStore, std::move(files), layout.tmp);
    }

    // The world files, without any restore's items among them.
    std::map<std::string, QByteArray> world() const
    {
        auto tree = treeOf(layout.saves);
        std::erase_if(tree, [](const auto& entry) { return isRestoreItem(entry.first); });
        return tree;
    }

    // A restore killed right before its `nthSwap`-th swap.
    void killRestoreAtSwap(int nthSwap, const std::shared_ptr<FileOperations>& volumes) const
    {
        auto swaps = std::make_shared<int>(0);
        ASSERT_TRUE(killedWhen([=](FaultyFileOperations::Op op, const std::filesystem::path&) {
                                   return op == FaultyFileOperations::Op::swap && ++*swaps == nthSwap;
                               },
                               [&](const auto& files) {
                                   store(files).restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
                               },
                               volumes));
    }

    // Restore items in the private folder, in the instance and journals in the store.
    std::vector<std::filesystem::path> workLeft() const
    {
        auto found = namedBelow(layout.tmp, "orvane-restore");
        for (const auto& item : namedBelow(layout.instance, "orvane-restore"))
            found.push_back(item);
        for (const auto& entry : entriesOf(layout.worldStore)) {
            if (entry.filename().native().rfind(".orvane-restore-areas-", 0) == 0)
                found.push_back(entry);
        }
        return found;
    }
};


} // namespace orvane::test
