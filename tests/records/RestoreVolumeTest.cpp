#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"
#include "SeparateVolumes.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cerrno>
#include <functional>
#include <optional>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

// A world and overlay files, backed up, after which everything changed: the restore must swap the
// world files and settings back, create the removed world file and delete the created runData.
struct Instance {
    RestoreLayout layout;
    std::filesystem::path level = layout.saves / "World/level.dat";
    std::filesystem::path region = layout.saves / "World/region/r.0.0.mca";
    std::filesystem::path stats = layout.saves / "World/stats/player.json";
    std::filesystem::path options = layout.instance / "options.txt";
    std::filesystem::path runData = layout.instance / "bin/runData";
    std::filesystem::path settings = layout.technicRoot / "settings.json";
    std::map<std::string, QByteArray> backedUpWorld;

    void writeWorld()
    {
        writeFile(level, "level v1");
        writeFile(region, QByteArray(100000, 'a'));
        writeFile(stats, "{}");
        writeFile(options, "renderDistance:8\n");
        writeFile(settings, R"({"memory": 12})");
    }
    // Backs up the world and the overlay files, then changes all of them.
    void backUpAndMoveOn(const std::shared_ptr<FileOperations>& files)
    {
        BackupStore worlds(layout.worldStore, files, layout.tmp);
        BackupStore overlay(layout.backups, files, layout.tmp);
        worlds.createWorldBackup(layout.instance, "w");
        overlay.createBackup({options, runData, settings}, layout.instance, BackupKind::preOverlay, "o", {text(runData)});
        backedUpWorld = treeOf(layout.saves);
        writeFile(level, "level v2");
        writeFile(region, QByteArray(90000, 'b'));
        std::filesystem::remove(stats);
        writeFile(options, "renderDistance:12\n");
        writeFile(settings, R"({"memory": 16})");
        writeFile(runData, "{}");
    }
    // Restores both; returns the first difference from what the restores must leave, or nothing.
    QStringList restoreAndCheck(const std::shared_ptr<FileOperations>& files)
    {
        QStringList problems;
        auto expect = [&](bool ok, const QString& what) {
            if (!ok)
                problems.push_back(what);
        };
        try {
            BackupStore(layout.worldStore, files, layout.tmp)
                .restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
            BackupStore(layout.backups, files, layout.tmp)
                .restoreLatestBackup(layout.instance, std::nullopt, BackupKind::preOverlay);
        } catch (const std::exception& e) {
            problems.push_back(QStringLiteral("restore failed: ") + describe(e));
            return problems;
        }
        expect(treeOf(layout.saves) == backedUpWorld, "the world is not the backed-up world");
        expect(readFile(options) == "renderDistance:8\n", "options.txt not restored");
        expect(readFile(settings) == R"({"memory": 12})", "settings.json not restored");
        expect(!std::filesystem::exists(runData), "runData not deleted");
        expect(restoreLeftovers(layout.technicRoot).empty(), "restore items left beside the files");
        expect(!std::filesystem::exists(layout.instance / ".orvane-restore"), "hidden folder left in the instance");
        expect(!std::filesystem::exists(layout.technicRoot / ".orvane-restore"), "hidden folder left in Technic");
        expect(entriesOf(layout.tmp).empty(), "items left in the private folder");
        expect(restoreLeftovers(layout.backups).empty(), "a journal left in a store");
        return problems;
    }
};

// Runs `body` in a child process with a mount namespace of its own, in which `mountPoint` is a fresh
// tmpfs. Returns the child's problems, or nothing when this machine cannot mount one.
std::optional<QStringList> inChildWithTmpfsAt(const std::filesystem::path& mountPoint,
                                              const std::function<QStringList()>& body)
{
    constexpr int kNoMount = 77;
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringList{QStringLiteral("no pipe")};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64m") != 0)
            ::_exit(kNoMount);
        QByteArray report;
        try {
            report = body().join(QLatin1Char('\n')).toUtf8();
        } catch (const std::exception& e) {
            report = QByteArray("threw: ") + e.what();
        }
        (void)!::write(channel[1], report.constData(), std::size_t(report.size()));
        ::_exit(0);
    }
    ::close(channel[1]);
    QByteArray report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, qsizetype(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNoMount)
        return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringList{QStringLiteral("the child did not finish")};
    return report.isEmpty() ? QStringList{} : QString::fromUtf8(report).split(QLatin1Char('\n'));
}

} // namespace

TEST(RestoreVolumes, AnInstanceOnAnotherFileSystemRestoresThroughItsOwnHiddenFolder)
{
    // The instance lies on a tmpfs; the backups, the private folder and the launcher's settings do not.
    Instance instance;
    std::filesystem::create_directories(instance.layout.instance);
    const auto problems = inChildWithTmpfsAt(instance.layout.instance, [&] {
        struct stat inside {}, outside {};
        ::stat(instance.layout.instance.c_str(), &inside);
        ::stat(instance.layout.technicRoot.c_str(), &outside);
        if (inside.st_dev == outside.st_dev)
            return QStringList{QStringLiteral("the tmpfs is not another file system")};
        instance.writeWorld();
        instance.backUpAndMoveOn(FileOperations::system());
        return instance.restoreAndCheck(FileOperations::system());
    });
    if (!problems)
        GTEST_SKIP() << "this machine cannot mount a tmpfs in a private mount namespace";
    EXPECT_EQ(*problems, QStringList());
}

TEST(RestoreVolumes, RenamesThatCannotCrossVolumesAreNeverAttempted)
{
    // Injected: the private folder is another volume (the same device to stat, like a second mount),
    // and then the saves folder is a third one, so the hidden folder does not reach it either.
    for (const bool savesApart : {false, true}) {
        SCOPED_TRACE(savesApart ? "saves on a volume of their own" : "private folder on another volume");
        Instance instance;
        instance.writeWorld();
        std::vector<std::filesystem::path> volumes{instance.layout.tmp};
        if (savesApart)
            volumes.push_back(instance.layout.saves);
        const auto files = std::make_shared<SeparateVolumes>(volumes);
        instance.backUpAndMoveOn(files);
        EXPECT_EQ(instance.restoreAndCheck(files), QStringList());
        EXPECT_GT(files->refused, 0); // the private folder was tried and passed over
    }
}

TEST(RestoreVolumes, AFailedRestoreAcrossVolumesPutsEverythingBackAndLeavesNothing)
{
    Instance instance;
    instance.writeWorld();
    const auto files = std::make_shared<SeparateVolumes>(std::vector<std::filesystem::path>{instance.layout.tmp});
    instance.backUpAndMoveOn(files);
    const auto before = treeOf(instance.layout.technicRoot);

    BackupStore overlay(instance.layout.backups, files, instance.layout.tmp);
    overlay.setRestoreCheckpoint([](const RestoreCheckpoint& point) {
        if (point.kind == RestoreCheckpoint::Kind::beforeAtomicCommit && point.index == 1)
            throw OrvaneError::io(QStringLiteral("stop."));
    });
    EXPECT_EQ(orvaneErrorOf([&] { overlay.restoreLatestBackup(instance.layout.instance, std::nullopt, std::nullopt); }),
              ioError("stop."));
    EXPECT_EQ(treeOf(instance.layout.technicRoot), before);
    EXPECT_FALSE(std::filesystem::exists(instance.layout.instance / ".orvane-restore"));
    EXPECT_TRUE(restoreLeftovers(instance.layout.technicRoot).empty());
}
