#include "model/FileDigest.h"
#include "platform/PathText.h"
#include "model/OrvaneError.h"
#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "BackupLayout.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

const QDateTime kNow(QDate(2026, 12, 8), QTime(7, 21, 8, 123), Qt::UTC);

struct OverlayFixture : ::testing::Test {
    BackupLayout layout;
    std::shared_ptr<FaultyFileOperations> files = std::make_shared<FaultyFileOperations>();
    BackupStore store{layout.backups, files};

    std::filesystem::path options = layout.instance / "options.txt";
    std::filesystem::path runData = layout.instance / "bin/runData";
    std::filesystem::path settings = layout.technicRoot / "settings.json";

    OverlayFixture()
    {
        store.setClock([] { return kNow; });
        writeFile(options, "renderDistance:8\n");
        writeFile(settings, R"({"memory": 12})");
    }

    BackupManifest snapshot(std::vector<std::filesystem::path> sources, std::vector<QString> created = {})
    {
        return store.createBackup(sources, layout.instance, BackupKind::preOverlay, "Before Balanced.", created);
    }
};

template <class F>
QString corruptText(F&& f)
{
    try {
        f();
    } catch (const OrvaneError& e) {
        return e.description();
    }
    return QStringLiteral("<no OrvaneError>");
}

} // namespace

TEST_F(OverlayFixture, SnapshotRecordsPresentFilesAndListsMissingOnesAsCreated)
{
    const auto m = snapshot({options, runData, settings}, {pathText(runData)});

    ASSERT_EQ(m.files.size(), 2u);
    EXPECT_EQ(m.files[0].relativePath, QStringLiteral("options.txt"));
    EXPECT_EQ(m.files[0].originalPath, pathText(options));
    EXPECT_EQ(m.files[0].sha256, sha256Hex(options));
    EXPECT_EQ(m.files[0].byteCount, 17);
    EXPECT_EQ(m.files[1].relativePath, QStringLiteral("technic-root/settings.json"));
    EXPECT_EQ(m.files[1].originalPath, pathText(settings));
    EXPECT_EQ(m.files[1].sha256, sha256Hex(settings));
    EXPECT_EQ(m.createdPaths, std::vector<QString>{pathText(runData)});
    EXPECT_EQ(m.kind, BackupKind::preOverlay);
    EXPECT_EQ(m.notes, QStringLiteral("Before Balanced."));
    EXPECT_EQ(m.instanceRoot, pathText(layout.instance));
    EXPECT_EQ(m.createdAt, kNow);

    const auto folder = layout.backups / m.id.toStdString();
    EXPECT_EQ(readFile(folder / "options.txt"), readFile(options));
    EXPECT_EQ(readFile(folder / "technic-root/settings.json"), readFile(settings));
    EXPECT_FALSE(std::filesystem::exists(folder / "bin"));
    EXPECT_NO_THROW(store.verifySnapshot(m, folder));

    // What is on disk is what was returned, dated to the whole second.
    BackupManifest onDisk = readManifest(folder);
    EXPECT_EQ(onDisk.createdAt, kNow.addMSecs(-123));
    onDisk.createdAt = kNow;
    EXPECT_EQ(onDisk, m);
}

TEST_F(OverlayFixture, SnapshotOfOnlyMissingFilesIsEmptyAndVerifies)
{
    std::filesystem::remove(options);
    const auto m = snapshot({options, runData}, {pathText(options), pathText(runData)});
    EXPECT_TRUE(m.files.empty());
    EXPECT_EQ(m.createdPaths.size(), 2u);
    EXPECT_NO_THROW(store.verifySnapshot(m, layout.backups / m.id.toStdString()));
}

TEST_F(OverlayFixture, CopiedPathsAreNeverAlsoListedAsCreated)
{
    const auto odd = pathText(layout.instance / "bin/../options.txt");
    const auto m = snapshot({options, runData}, {odd, pathText(runData), pathText(layout.instance / "./bin/x/../runData")});
    EXPECT_EQ(m.createdPaths, (std::vector<QString>{pathText(runData), pathText(runData)}));
    EXPECT_EQ(readManifest(layout.backups / m.id.toStdString()).createdPaths, m.createdPaths);
}

TEST_F(OverlayFixture, IdsHaveTheTimeAndAFreshUuidEvenWithinOneMillisecond)
{
    const auto a = snapshot({options});
    const auto b = snapshot({options});
    static const QRegularExpression form(QStringLiteral(
        "^2026-12-08T072108\\.123Z-[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[0-9a-f]{4}-[0-9a-f]{12}$"));
    EXPECT_TRUE(form.match(a.id).hasMatch()) << a.id.toStdString();
    EXPECT_EQ(a.id.size(), 59);
    EXPECT_NE(a.id, b.id);
    EXPECT_EQ(entriesOf(layout.backups).size(), 2u);

    EXPECT_EQ(BackupStore::makeBackupId(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 6), Qt::OffsetFromUTC, 3600),
                                        QUuid("{0F8FAD5B-D9CB-469F-A165-70867728950E}")),
              QStringLiteral("2026-01-02T020405.006Z-0f8fad5b-d9cb-469f-a165-70867728950e"));
}

TEST_F(OverlayFixture, ManifestFileIsPrettySortedWithWholeSecondDatesAndEscapedSlashes)
{
    const auto m = snapshot({options, settings}, {pathText(runData)});
    const QString json = QString::fromUtf8(readFile(layout.backups / m.id.toStdString() / "manifest.json"));
    EXPECT_TRUE(json.contains(QStringLiteral("\"createdAt\": \"2026-12-08T07:21:08Z\"")));
    EXPECT_TRUE(json.contains(QStringLiteral("\"relativePath\": \"technic-root\\/settings.json\"")));
    const QStringList order{"\"createdAt\"", "\"createdPaths\"", "\"files\"", "\"id\"", "\"instanceRoot\"", "\"kind\"", "\"notes\""};
    qsizetype last = -1;
    for (const auto& key : order) {
        const qsizetype at = json.indexOf(key);
        EXPECT_GT(at, last) << key.toStdString();
        last = at;
    }
    EXPECT_TRUE(json.contains(QStringLiteral("\n    \"files\": [\n")));
}

TEST_F(OverlayFixture, ACopyFailingMidwayLeavesNoBackupFolder)
{
    files->failOn(Op::cloneOrCopy, 2);
    EXPECT_THROW(snapshot({options, settings}), std::system_error);
    EXPECT_TRUE(std::filesystem::is_directory(layout.backups)); // the store root stays
    EXPECT_TRUE(entriesOf(layout.backups).empty());

    files->failOn(Op::writeAtomically, 1);
    EXPECT_THROW(snapshot({options, settings}), std::system_error);
    EXPECT_TRUE(entriesOf(layout.backups).empty());

    // A copy that does not hold the bytes it was measured from fails verification.
    files->corruptCopy(2);
    EXPECT_EQ(corruptText([&] { snapshot({options, settings}); }),
              QStringLiteral("The backup failed verification: hash mismatch technic-root/settings.json"));
    EXPECT_TRUE(entriesOf(layout.backups).empty());
}

TEST_F(OverlayFixture, ASourceThatIsALinkIsRefusedNotFollowed)
{
    std::filesystem::remove(options);
    std::filesystem::create_symlink(settings, options);
    EXPECT_THROW(snapshot({options}), std::system_error);
    EXPECT_TRUE(entriesOf(layout.backups).empty());
}

TEST_F(OverlayFixture, OutsideFilesGoUnderTechnicRootAndACollisionIsRefused)
{
    std::set<QString> taken;
    EXPECT_EQ(BackupStore::relativeBackupPath(runData, layout.instance, taken), QStringLiteral("bin/runData"));
    EXPECT_EQ(BackupStore::relativeBackupPath(layout.instance / "./bin//runData", layout.instance.native() + "/", taken),
              QStringLiteral("bin/runData"));
    EXPECT_EQ(BackupStore::relativeBackupPath(settings, layout.instance, taken), QStringLiteral("technic-root/settings.json"));
    taken.insert("bin/runData");
    EXPECT_EQ(BackupStore::relativeBackupPath(runData, layout.instance, taken), QStringLiteral("technic-root/runData"));
    // A sibling whose name merely starts like the instance is outside it.
    EXPECT_EQ(BackupStore::relativeBackupPath(layout.instance.native() + "-old/options.txt", layout.instance, {}),
              QStringLiteral("technic-root/options.txt"));

    // The fallback of a second file is taken as well: its copy would replace the first one.
    const auto inner = layout.instance / "technic-root/settings.json";
    writeFile(inner, "other");
    EXPECT_EQ(corruptText([&] { snapshot({settings, inner}); }),
              QStringLiteral("The backup failed verification: duplicate relative path technic-root/settings.json"));
    EXPECT_TRUE(entriesOf(layout.backups).empty());
    EXPECT_EQ(readFile(inner), QByteArray("other"));
}

TEST_F(OverlayFixture, NamesThatAreNotUtf8AreRefusedBeforeAnythingIsWritten)
{
    const std::filesystem::path odd = layout.instance / "caf\xe9.txt";
    writeFile(odd, "x");
    try {
        snapshot({options, odd});
        FAIL() << "no error";
    } catch (const OrvaneError& e) {
        EXPECT_EQ(e.kind(), OrvaneError::Kind::io);
        EXPECT_TRUE(e.description().endsWith(
            QStringLiteral("is not valid UTF-8, so Orvane cannot record it in a backup. Rename it and try again.")));
    }
    EXPECT_FALSE(std::filesystem::exists(layout.backups));
}

TEST_F(OverlayFixture, CloneOrCopyItemReplacesTheTargetAndMeasuresTheCopy)
{
    const auto target = layout.home / "copy";
    writeFile(target, "stale and longer");
    const CopiedFile copied = store.cloneOrCopyItem(options, target);
    EXPECT_EQ(readFile(target), readFile(options));
    EXPECT_EQ(copied.sha256, sha256Hex(options));
    EXPECT_EQ(copied.byteCount, 17u);
    EXPECT_EQ(BackupStore::byteCount(target), 17);
    EXPECT_THROW(BackupStore::byteCount(layout.home / "absent"), std::system_error);
}
