#include "json/JsonWriter.h"
#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

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
    // Made last, whatever its date says.
    EXPECT_EQ(store.latestBackup(layout.instance, std::nullopt)->manifest.id, pre.id);
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

namespace {

// A world store of four backups of one world, a minute apart, read through a recording double.
struct WorldChoiceFixture : ::testing::Test {
    RestoreLayout layout;
    std::shared_ptr<FaultyFileOperations> files = std::make_shared<FaultyFileOperations>();
    BackupStore worlds{layout.worldStore, files, layout.tmp};
    QDateTime now{QDate(2026, 12, 8), QTime(7, 21, 8, 250), Qt::UTC};
    std::vector<BackupManifest> made; // oldest first
    std::vector<std::filesystem::path> manifestsRead;

    WorldChoiceFixture()
    {
        worlds.setClock([this] { return now; });
        for (int i = 0; i < 4; ++i) {
            writeFile(layout.saves / "World/level.dat", "level " + QByteArray::number(i));
            writeFile(layout.saves / "World/region/r.0.0.mca", QByteArray(100 + i, 'r'));
            made.push_back(worlds.createWorldBackup(layout.instance, "w"));
            now = now.addSecs(60);
        }
        files->beforeEach = [this](Op op, const std::filesystem::path& path) {
            if (op == Op::readRegularFile && path.filename() == "manifest.json")
                manifestsRead.push_back(path.parent_path().filename());
        };
    }

    std::filesystem::path folderOf(int index) const { return layout.worldStore / made[std::size_t(index)].id.toStdString(); }
    void rewrite(int index, const std::function<void(BackupManifest&)>& change)
    {
        BackupManifest m = made[std::size_t(index)];
        change(m);
        writeFile(folderOf(index) / "manifest.json", encodeJson(toJson(m)));
    }

    // What checking every backup of the store, as a listing does, chooses, in order.
    std::vector<QString> checkingEveryBackup() const
    {
        std::vector<QString> ids;
        for (const auto& b : worlds.listBackups(BackupStore::SnapshotCheck::sizes)) {
            if (standardised(pathFromText(b.manifest.instanceRoot)) != layout.instance || b.manifest.kind != BackupKind::saves)
                continue;
            try {
                worlds.planRestore(b.manifest, b.directory, layout.instance, std::nullopt);
            } catch (const OrvaneError&) {
                continue;
            }
            ids.push_back(b.manifest.id);
        }
        return ids;
    }
};

} // namespace

TEST_F(WorldChoiceFixture, NewerBrokenBackupsLeaveTheChoiceAsCheckingEveryBackupWouldMakeIt)
{
    using Break = std::function<void(WorldChoiceFixture&)>;
    const Break resized = [](WorldChoiceFixture& f) { writeFile(f.folderOf(3) / "saves/World/level.dat", "longer level"); };
    struct Case {
        const char* name;
        Break breakStore;
        std::vector<int> expected; // indices into `made`, newest first
        bool asListed = true;      // what checking every backup gives as well
    };
    const Case cases[] = {
        {"nothing broken", [](auto&) {}, {3, 2, 1, 0}},
        {"newest copy resized", resized, {2, 1, 0}},
        {"newest copy missing", [](auto& f) { std::filesystem::remove(f.folderOf(3) / "saves/World/level.dat"); }, {2, 1, 0}},
        {"newest manifest missing", [](auto& f) { std::filesystem::remove(f.folderOf(3) / "manifest.json"); }, {2, 1, 0}},
        {"newest manifest unreadable", [](auto& f) { writeFile(f.folderOf(3) / "manifest.json", "{ no"); }, {2, 1, 0}},
        {"newest manifest names another id", [](auto& f) { f.rewrite(3, [&](auto& m) { m.id = f.made[2].id; }); }, {2, 1, 0}},
        {"newest plan refused",
         [](auto& f) { f.rewrite(3, [&](auto& m) { m.files[0].originalPath = text(f.layout.instance / "options.txt"); }); },
         {2, 1, 0}},
        {"newest of another instance",
         [](auto& f) { f.rewrite(3, [&](auto& m) { m.instanceRoot = text(f.layout.technicRoot / "modpacks/other"); }); },
         {2, 1, 0}},
        {"newest folder a link to an older one",
         [](auto& f) {
             std::filesystem::remove_all(f.folderOf(3));
             std::filesystem::create_directory_symlink(f.folderOf(0), f.folderOf(3));
         },
         {2, 1, 0}},
        {"two newest broken",
         [resized](auto& f) {
             resized(f);
             std::filesystem::remove(f.folderOf(2) / "manifest.json");
         },
         {1, 0}},
        {"every backup broken",
         [](auto& f) {
             for (int i = 0; i < 4; ++i)
                 std::filesystem::remove(f.folderOf(i) / "manifest.json");
         },
         {}},
        // Names carry the order: an unread older manifest dated after the newest does not overtake it
        // (Orvane never writes one; listing every backup would put it first).
        {"an older manifest dated after the newest",
         [](auto& f) { f.rewrite(1, [&](auto& m) { m.createdAt = f.made[3].createdAt.addSecs(30); }); },
         {3, 2, 1, 0},
         false},
        // Once read, a manifest that disagrees with its name is placed as a listing places it: by the
        // store's count, which a date set back does not change.
        {"the second manifest dated before the oldest, newest broken",
         [resized](auto& f) {
             resized(f);
             f.rewrite(2, [&](auto& m) { m.createdAt = f.made[0].createdAt.addSecs(-30); });
         },
         {2, 1, 0}},
        // A folder not named by the store, with a newer manifest of the same id.
        {"a hand-named folder newest",
         [](auto& f) {
             std::filesystem::copy(f.folderOf(0), f.layout.worldStore / "hand-made", std::filesystem::copy_options::recursive);
             BackupManifest m = f.made[0];
             m.id = "hand-made";
             m.createdAt = f.made[3].createdAt.addSecs(60);
             writeFile(f.layout.worldStore / "hand-made/manifest.json", encodeJson(toJson(m)));
             f.made.push_back(m);
         },
         {3, 2, 1, 4, 0}}, // its count is the oldest's; among equal counts the later date first
    };
    const std::filesystem::path pristine = layout.home / "pristine";
    std::filesystem::copy(layout.worldStore, pristine, std::filesystem::copy_options::recursive);
    const auto made0 = made;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(layout.worldStore);
        std::filesystem::copy(pristine, layout.worldStore, std::filesystem::copy_options::recursive);
        made = made0;
        c.breakStore(*this);

        std::vector<QString> expected;
        for (const int i : c.expected)
            expected.push_back(made[std::size_t(i)].id);
        if (c.asListed) {
            EXPECT_EQ(checkingEveryBackup(), expected); // unchanged from checking every backup
        }
        std::vector<QString> chosen;
        for (const auto& b : worlds.restorableBackups(layout.instance, BackupKind::saves))
            chosen.push_back(b.manifest.id);
        EXPECT_EQ(chosen, expected);
        const auto latest = worlds.latestBackup(layout.instance, BackupKind::saves);
        EXPECT_EQ(latest ? latest->manifest.id : QString(), expected.empty() ? QString() : expected.front());
    }
}

TEST_F(WorldChoiceFixture, AValidNewestBackupLeavesEveryOlderOneUnopened)
{
    const auto names = [](std::initializer_list<const BackupManifest*> ms) {
        std::vector<std::filesystem::path> out;
        for (const auto* m : ms)
            out.push_back(m->id.toStdString());
        return out;
    };
    EXPECT_EQ(worlds.latestBackup(layout.instance, BackupKind::saves)->manifest.id, made[3].id);
    EXPECT_EQ(manifestsRead, names({&made[3]}));

    // The restore reads the chosen manifest alone, too.
    manifestsRead.clear();
    writeFile(layout.saves / "World/level.dat", "changed since");
    const RestoreResult restored = worlds.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
    EXPECT_EQ(restored.backupId, made[3].id);
    EXPECT_EQ(manifestsRead, names({&made[3]}));

    // A broken newest one sends the choice to the next, and no further.
    manifestsRead.clear();
    writeFile(folderOf(3) / "saves/World/level.dat", "longer level");
    EXPECT_EQ(worlds.latestBackup(layout.instance, BackupKind::saves)->manifest.id, made[2].id);
    EXPECT_EQ(manifestsRead, names({&made[3], &made[2]}));
}
