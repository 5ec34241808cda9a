#include "json/JsonWriter.h"
#include "records/BackupStore.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// Backups of one world made one after another while the clock jumps about; `counted` false rewrites
// a manifest as a store wrote it before it counted its backups.
struct Made {
    const char* level;
    int hour;
    bool counted = true;
};

} // namespace

TEST(BackupOrder, TheLatestBackupIsTheOneMadeLastWhateverTheClockSays)
{
    const struct Case {
        const char* name;
        std::vector<Made> made;
        std::vector<int> newestFirst; // indices into `made`
    } cases[] = {
        {"the clock set back between two backups", {{"A", 18}, {"B", 13}}, {1, 0}},
        {"the clock set forward, then back", {{"A", 9}, {"B", 23}, {"C", 8}}, {2, 1, 0}},
        {"backups made before stores counted keep their order by date", {{"A", 18, false}, {"B", 13, false}}, {0, 1}},
        {"a counted backup comes after every one made before counting", {{"A", 18, false}, {"B", 13}}, {1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreLayout layout;
        BackupStore store(layout.worldStore, FileOperations::system(), layout.tmp);
        std::vector<BackupManifest> manifests;
        for (const Made& m : c.made) {
            writeFile(layout.saves / "World/level.dat", m.level);
            store.setClock([&] { return QDateTime(QDate(2026, 12, 8), QTime(m.hour, 0), Qt::UTC); });
            BackupManifest made = store.createWorldBackup(layout.instance, "w");
            if (!m.counted) {
                made.sequence.reset();
                writeFile(layout.worldStore / made.id.toStdString() / "manifest.json", encodeJson(toJson(made)));
            }
            manifests.push_back(made);
        }
        std::vector<QString> expected, listed, restorable;
        for (const int i : c.newestFirst)
            expected.push_back(manifests[std::size_t(i)].id);
        for (const auto& backup : store.listBackups())
            listed.push_back(backup.manifest.id);
        for (const auto& backup : store.restorableBackups(layout.instance, BackupKind::saves))
            restorable.push_back(backup.manifest.id);
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(restorable, expected);

        writeFile(layout.saves / "World/level.dat", "played since");
        const RestoreResult result = store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
        EXPECT_EQ(result.backupId, expected.front());
        EXPECT_EQ(readFile(layout.saves / "World/level.dat"), c.made[std::size_t(c.newestFirst.front())].level);
    }
}
