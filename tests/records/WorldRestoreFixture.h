#pragma once

#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace orvane::test {

// A world backup of three files, after which the world moved on: two files changed, one was
// deleted and one was added. In manifest order: level.dat (swapped), r.0.0.mca (swapped),
// stats/player.json (created by an exclusive move).
struct WorldRestore : ::testing::Test {
    RestoreLayout layout;
    std::shared_ptr<FaultyFileOperations> files = std::make_shared<FaultyFileOperations>();
    BackupStore store{layout.worldStore, files, layout.tmp};
    std::filesystem::path level = layout.saves / "World/level.dat";
    std::filesystem::path region = layout.saves / "World/region/r.0.0.mca";
    std::filesystem::path stats = layout.saves / "World/stats/player.json";
    std::filesystem::path added = layout.saves / "World/added.dat";
    BackupManifest backup;
    std::map<std::string, QByteArray> before; // the instance right before the restore
    std::map<std::string, QByteArray> restored; // the instance as a successful restore leaves it

    WorldRestore()
    {
        writeFile(level, "level v1");
        writeFile(region, QByteArray(200000, 'a'));
        writeFile(stats, "{\"played\": 1}");
        backup = store.createWorldBackup(layout.instance, "World backup.");
        restored = treeOf(layout.instance);

        writeFile(level, "level v2, a little longer");
        writeFile(region, QByteArray(150000, 'b'));
        std::filesystem::remove(stats);
        writeFile(added, "added later");
        before = treeOf(layout.instance);
        restored["saves/World/added.dat"] = "added later";
    }

    RestoreResult restore() { return store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves); }

    // The hook calls `action` once, at `kind` for file `index`.
    void at(RestoreCheckpoint::Kind kind, std::int64_t index, std::function<void()> action)
    {
        store.setRestoreCheckpoint([=](const RestoreCheckpoint& point) {
            if (point.kind == kind && point.index == index)
                action();
        });
    }

    // The one undo folder a failed rollback kept.
    std::filesystem::path keptUndoFolder() const
    {
        const auto entries = entriesOf(layout.tmp);
        EXPECT_EQ(entries.size(), 1u);
        return entries.empty() ? std::filesystem::path() : entries.front();
    }

    void expectNothingLeftBehind() const
    {
        EXPECT_TRUE(entriesOf(layout.tmp).empty());
        EXPECT_TRUE(restoreLeftovers(layout.technicRoot).empty());
    }
};

} // namespace orvane::test
