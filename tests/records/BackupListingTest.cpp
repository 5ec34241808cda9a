#include "json/JsonWriter.h"
#include "records/BackupStore.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

struct ListingFixture : ::testing::Test {
    RestoreLayout layout;
    BackupStore store{layout.backups, FileOperations::system(), layout.tmp};
    QDateTime now{QDate(2026, 12, 8), QTime(7, 21, 8, 0), Qt::UTC};

    ListingFixture()
    {
        store.setClock([this] { return now; });
        writeFile(layout.instance / "options.txt", "renderDistance:8\n");
    }

    BackupManifest snapshotAt(const QDateTime& when, BackupKind kind = BackupKind::preOverlay,
                              const std::filesystem::path& instance = {})
    {
        now = when;
        const auto root = instance.empty() ? layout.instance : instance;
        writeFile(root / "options.txt", "renderDistance:8\n");
        return store.createBackup({root / "options.txt"}, root, kind, "n", {});
    }

    std::vector<QString> listedIds() const
    {
        std::vector<QString> ids;
        for (const auto& b : store.listBackups())
            ids.push_back(b.manifest.id);
        return ids;
    }

    std::filesystem::path folderOf(const BackupManifest& m) const { return layout.backups / m.id.toStdString(); }
};

} // namespace

TEST_F(ListingFixture, AMissingStoreListsNothingAndRestoresNothing)
{
    EXPECT_TRUE(store.listBackups().empty());
    EXPECT_FALSE(store.latestBackup(layout.instance, std::nullopt));
    EXPECT_EQ(orvaneErrorOf([&] { store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves); }),
              std::make_pair(OrvaneError::Kind::backupMissing, QStringLiteral("No Orvane backup exists for this instance.")));
    EXPECT_FALSE(std::filesystem::exists(layout.backups));
}

TEST_F(ListingFixture, NewestFirstAndWithinOneSecondTheLargerIdFirst)
{
    const auto old = snapshotAt(now.addSecs(-60));
    const auto a = snapshotAt(now.addMSecs(100));
    const auto b = snapshotAt(now.addMSecs(900));
    // Both read back as the same second; the id carries the milliseconds.
    EXPECT_EQ(listedIds(), (std::vector<QString>{b.id, a.id, old.id}));

    BackupManifest x = a, y = a;
    y.id = a.id + "z";
    EXPECT_TRUE(BackupStore::isNewer(y, x));
    EXPECT_FALSE(BackupStore::isNewer(x, y));
    EXPECT_FALSE(BackupStore::isNewer(x, x));
    x.createdAt = y.createdAt.addSecs(1);
    EXPECT_TRUE(BackupStore::isNewer(x, y));
}

TEST_F(ListingFixture, BadEntriesAreLeftOutSilently)
{
    const auto good = snapshotAt(now.addSecs(-10));
    const auto changed = snapshotAt(now);
    writeFile(folderOf(changed) / "options.txt", "tampered");

    std::filesystem::create_directories(layout.backups / "no-manifest");
    writeFile(layout.backups / "garbage/manifest.json", "{ not json");
    writeFile(layout.backups / "loose-file", "x");
    // A link to a good snapshot, and a snapshot whose manifest is a link.
    std::filesystem::create_directory_symlink(folderOf(good), layout.backups / "alias");
    std::filesystem::create_directories(layout.backups / "linked-manifest");
    std::filesystem::create_symlink(folderOf(good) / "manifest.json", layout.backups / "linked-manifest/manifest.json");

    // A manifest whose id is not its folder's name: a copy of a good snapshot, and a newer one
    // that names a path for an id.
    std::filesystem::copy(folderOf(good), layout.backups / "copy", std::filesystem::copy_options::recursive);
    auto forged = snapshotAt(now.addSecs(30));
    const auto forgedFolder = folderOf(forged);
    forged.id = "../../etc";
    writeFile(forgedFolder / "manifest.json", encodeJson(toJson(forged)));

    EXPECT_EQ(listedIds(), std::vector<QString>{good.id});
    // The modified copy drops out: the next older backup is chosen.
    EXPECT_EQ(store.latestBackup(layout.instance, BackupKind::preOverlay)->manifest.id, good.id);
}

TEST_F(ListingFixture, TheWorldStoreInsideTheOverlayStoreIsNeverListed)
{
    const auto overlay = snapshotAt(now);
    BackupStore worlds(layout.worldStore, FileOperations::system(), layout.tmp);
    writeFile(layout.saves / "World/level.dat", "level");
    const auto world = worlds.createWorldBackup(layout.instance, "w");
    EXPECT_EQ(listedIds(), std::vector<QString>{overlay.id});

    // An entry named "saves" inside the world store is skipped as well, whatever it holds.
    std::filesystem::copy(layout.worldStore / world.id.toStdString(), layout.worldStore / "saves",
                          std::filesystem::copy_options::recursive);
    ASSERT_EQ(worlds.listBackups().size(), 1u);
    EXPECT_EQ(worlds.listBackups()[0].directory, layout.worldStore / world.id.toStdString());
}

TEST_F(ListingFixture, ChoiceMatchesTheInstanceAndPrefersTheKindAsked)
{
    const auto manual = snapshotAt(now.addSecs(-5), BackupKind::manual);
    const auto other = snapshotAt(now, BackupKind::preOverlay, layout.technicRoot / "modpacks/other");

    EXPECT_EQ(store.latestBackup(layout.instance, BackupKind::preOverlay)->manifest.id, manual.id);
    EXPECT_EQ(store.latestBackup(layout.instance.native() + "/", std::nullopt)->manifest.id, manual.id);
    EXPECT_EQ(store.latestBackup(layout.technicRoot / "modpacks/other", BackupKind::manual)->manifest.id, other.id);
    EXPECT_FALSE(store.latestBackup(layout.home / "nothing", BackupKind::preOverlay));

    const auto pre = snapshotAt(now.addSecs(-20), BackupKind::preOverlay);
    EXPECT_EQ(store.latestBackup(layout.instance, BackupKind::preOverlay)->manifest.id, pre.id);
    EXPECT_EQ(store.latestBackup(layout.instance, std::nullopt)->manifest.id, manual.id);
}

TEST_F(ListingFixture, WorldSavesAndOverlayFilesNeverStandInForEachOther)
{
    // A world store that somehow holds an overlay snapshot of the instance, newer than its world backup.
    BackupStore worlds(layout.worldStore, FileOperations::system(), layout.tmp);
    worlds.setClock([this] { return now; });
    writeFile(layout.saves / "World/level.dat", "level");
    const auto world = worlds.createWorldBackup(layout.instance, "w");
    now = now.addSecs(5);
    writeFile(layout.instance / "options.txt", "renderDistance:8\n");
    const auto overlay = worlds.createBackup({layout.instance / "options.txt"}, layout.instance, BackupKind::manual,
                                             "n", {});

    EXPECT_EQ(worlds.latestBackup(layout.instance, BackupKind::saves)->manifest.id, world.id);
    EXPECT_EQ(worlds.latestBackup(layout.instance, BackupKind::preOverlay)->manifest.id, overlay.id);
    // The world restore never takes the overlay snapshot, so it never rewrites options.txt.
    writeFile(layout.instance / "options.txt", "renderDistance:12\n");
    std::filesystem::remove_all(layout.worldStore / world.id.toStdString());
    EXPECT_EQ(orvaneErrorOf([&] { worlds.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves); }).first,
              OrvaneError::Kind::backupMissing);
    EXPECT_EQ(readFile(layout.instance / "options.txt"), "renderDistance:12\n");

    // Nor does an overlay restore take a world backup.
    writeFile(layout.saves / "World/level.dat", "level");
    worlds.createWorldBackup(layout.instance, "w");
    std::filesystem::remove_all(layout.worldStore / overlay.id.toStdString());
    EXPECT_FALSE(worlds.latestBackup(layout.instance, BackupKind::preOverlay));
    EXPECT_TRUE(worlds.latestBackup(layout.instance, std::nullopt));
}

TEST_F(ListingFixture, AWorldBackupWhosePlanIsRefusedIsPassedOver)
{
    BackupStore worlds(layout.worldStore, FileOperations::system(), layout.tmp);
    worlds.setClock([this] { return now; });
    writeFile(layout.saves / "World/level.dat", "level");
    const auto older = worlds.createWorldBackup(layout.instance, "w");
    now = now.addSecs(5);
    auto newer = worlds.createWorldBackup(layout.instance, "w");

    // Still verifies (the copy is intact) but would write outside the saves it came from.
    newer.files[0].originalPath = text(layout.instance / "options.txt");
    writeFile(layout.worldStore / newer.id.toStdString() / "manifest.json", encodeJson(toJson(newer)));
    EXPECT_EQ(worlds.listBackups().size(), 2u);
    EXPECT_EQ(worlds.latestBackup(layout.instance, BackupKind::saves)->manifest.id, older.id);
}

TEST_F(ListingFixture, LoadingByIdRereadsTheManifestAndRefusesUnsafeFolders)
{
    const auto m = snapshotAt(now);
    EXPECT_FALSE(store.loadBackup(std::nullopt));
    const auto loaded = store.loadBackup(m);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->manifest.files, m.files);
    EXPECT_EQ(loaded->directory, folderOf(m));

    auto withId = [&](const QString& id) {
        BackupManifest x = m;
        x.id = id;
        return orvaneErrorOf([&] { store.loadBackup(x); });
    };
    EXPECT_EQ(withId(".."), corruptError("unsafe backup id"));
    EXPECT_EQ(withId("a/b"), corruptError("unsafe backup id"));
    EXPECT_EQ(withId(QString(129, u'a')), corruptError("unsafe backup id"));
    EXPECT_EQ(withId("absent"), corruptError("missing manifest for absent"));

    // A folder whose manifest names another id, and a store entry that is a link.
    std::filesystem::copy(folderOf(m), layout.backups / "copy", std::filesystem::copy_options::recursive);
    EXPECT_EQ(withId("copy"), corruptError("manifest id does not match its backup directory"));
    std::filesystem::create_directory_symlink(folderOf(m), layout.backups / "alias");
    EXPECT_EQ(withId("alias"), corruptError("snapshot directory escapes the backup store"));

    // Restoring a given backup passes the loading error on unchanged.
    std::filesystem::remove_all(folderOf(m));
    EXPECT_EQ(orvaneErrorOf([&] { store.restoreBackup(m, layout.instance, std::nullopt); }),
              corruptError("missing manifest for " + m.id));
}

TEST(BackupIds, SafeIdRule)
{
    for (const QString& id : {QStringLiteral("2026-12-08T072108.123Z-0f8fad5b-d9cb-469f-a165-70867728950e"),
                             QStringLiteral("a..b"), QStringLiteral("..a"), QStringLiteral("Welt\u00e9"),
                             QStringLiteral("\u0663\u0664"), QStringLiteral("e\u0301"), QString(128, u'x'),
                             QString(64, QChar(0x00e9))})
        EXPECT_TRUE(BackupStore::isSafeBackupID(id)) << id.toStdString();
    for (const QString& id : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
                             QStringLiteral("a\\b"), QStringLiteral("a b"), QStringLiteral("a_b"), QString(129, u'x'),
                             QString(65, QChar(0x00e9)), QStringLiteral("a\u2028"), QString(QChar(0xD800))})
        EXPECT_FALSE(BackupStore::isSafeBackupID(id)) << id.toStdString();
}

TEST(TechnicRoot, OnlyAnInstanceInsideModpacksHasOne)
{
    EXPECT_EQ(BackupStore::technicRoot("/h/technic/modpacks/tekkit-2"), std::filesystem::path("/h/technic"));
    EXPECT_EQ(BackupStore::technicRoot("/h/technic/modpacks/tekkit-2/"), std::filesystem::path("/h/technic"));
    EXPECT_EQ(BackupStore::technicRoot("/h/technic/modpacks/x/../tekkit-2"), std::filesystem::path("/h/technic"));
    EXPECT_FALSE(BackupStore::technicRoot("/h/Documents/tekkit-2"));
    EXPECT_FALSE(BackupStore::technicRoot("/h/modpacks"));
}
