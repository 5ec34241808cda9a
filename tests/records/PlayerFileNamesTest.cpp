#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "KilledChild.h"
#include "RestoreLayout.h"
#include "SeparateVolumes.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <set>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

TEST(PlayerFileNames, APlayersFileNamedLikeOrvanesIsBackedUpAndKeptAndOnlyOrvanesOwnProbesGo)
{
    enum class Operation { backup, restore, backupAfterAKilledRestoreInTheSavesFolders };
    struct Case {
        const char* name;
        Operation operation;
    };
    const Case cases[] = {
        {"a world backup", Operation::backup},
        {"a restore", Operation::restore},
        {"a backup after a restore killed while the saves' own folders served it",
         Operation::backupAfterAKilledRestoreInTheSavesFolders},
    };
    const std::string uuid = "0F8FAD5B-D9CB-469F-A165-70867728950E";
    // Below the saves folder: the player's files, each named the way only the beginning of an Orvane
    // item is named.
    const std::map<std::string, QByteArray> players{
        {"World/level.dat", "level v1"},
        {"World/orvane-restore-notes.txt", "notes"},
        {"World/.orvane-restored", "a marker of a mod"},
        {"World/data/orvane-restore-undo-list.json", "[]"},
        {"orvane-restore-test/level.dat", "a whole world"},
        {"World/.orvane-restore-probe-notes.txt", "level v1"},
        {"World/orvane-restore-undo-old/x.dat", "old"},
        {"World/.orvane-restore-stage-notes.txt", "level v1"},
        {"World/.orvane-restore-probe-" + QString::fromStdString(uuid).toLower().toStdString(), "level v1"},
        {"World/.orvane-restore-probe-" + uuid + "-copy", "level v1"},
    };
    // Orvane's own probes, named exactly so: one holding a backed-up file's bytes, and one holding others.
    const std::string probe = "World/.orvane-restore-probe-" + uuid;
    const std::string notAProbe = "World/.orvane-restore-probe-1B4E28BA-2FA1-11D2-883F-0016D3CCA427";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreLayout layout;
        for (const auto& [relative, bytes] : players)
            writeFile(layout.saves / relative, bytes);
        BackupStore store(layout.worldStore, FileOperations::system(), layout.tmp);
        const auto recorded = [&](const BackupManifest& manifest) {
            std::set<std::string> paths;
            for (const auto& file : manifest.files)
                paths.insert(file.relativePath.mid(6).toStdString()); // after "saves/"
            return paths;
        };
        std::set<std::string> expected;
        for (const auto& [relative, bytes] : players)
            expected.insert(relative);
        EXPECT_EQ(recorded(store.createWorldBackup(layout.instance, "first")), expected);
        writeFile(layout.saves / probe, "level v1");
        writeFile(layout.saves / notAProbe, "a player's bytes");

        std::optional<BackupManifest> made;
        switch (c.operation) {
        case Operation::backup:
            made = store.createWorldBackup(layout.instance, "second");
            break;
        case Operation::restore:
            store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
            break;
        case Operation::backupAfterAKilledRestoreInTheSavesFolders: {
            const auto volumes = std::make_shared<SeparateVolumes>(std::vector{layout.tmp, layout.saves});
            writeFile(layout.saves / "World/level.dat", "level v2");
            ASSERT_TRUE(killedWhen([](Op op, const std::filesystem::path&) { return op == Op::swap; },
                                   [&](const auto& files) {
                                       BackupStore(layout.worldStore, files, layout.tmp)
                                           .restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
                                   },
                                   volumes));
            writeFile(layout.saves / "World/level.dat", "level v1");
            made = BackupStore(layout.worldStore, volumes, layout.tmp).createWorldBackup(layout.instance, "second");
            break;
        }
        }
        auto world = treeOf(layout.saves);
        EXPECT_EQ(world.count(probe), 0u);
        EXPECT_EQ(world[notAProbe], "a player's bytes");
        world.erase(notAProbe);
        EXPECT_EQ(world, players);
        if (made) {
            EXPECT_EQ(recorded(*made), expected);
        }
    }
}
