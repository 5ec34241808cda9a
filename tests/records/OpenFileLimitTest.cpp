#include "platform/PathText.h"
#include "records/BackupStore.h"
#include "records/WorldSaveScanner.h"
#include "support/FaultyFileOperations.h"

#include "support/QtPrinters.h"

#include "RestoreLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

// The descriptors this process holds now.
std::size_t openDescriptors()
{
    std::size_t count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count - 1; // the listing's own
}

// Lowers the soft limit on open files for its lifetime.
class OpenFileLimit final {
public:
    explicit OpenFileLimit(rlim_t soft)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = std::min<rlim_t>(soft, m_saved.rlim_max);
        m_set = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~OpenFileLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }
    OpenFileLimit(const OpenFileLimit&) = delete;
    OpenFileLimit& operator=(const OpenFileLimit&) = delete;
    bool set() const { return m_set; }

private:
    rlimit m_saved {};
    bool m_set = false;
};

// Holds every descriptor the process may still open, leaving `spare`.
class ExhaustedDescriptors final {
public:
    explicit ExhaustedDescriptors(int spare = 0) : m_limit(openDescriptors() + 16)
    {
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            m_held.push_back(fd);
        for (int i = 0; i < spare && !m_held.empty(); ++i) {
            ::close(m_held.back());
            m_held.pop_back();
        }
    }
    ~ExhaustedDescriptors()
    {
        for (int fd : m_held)
            ::close(fd);
    }
    ExhaustedDescriptors(const ExhaustedDescriptors&) = delete;
    ExhaustedDescriptors& operator=(const ExhaustedDescriptors&) = delete;

private:
    OpenFileLimit m_limit;
    std::vector<int> m_held;
};

QString outOfOpenFiles(const std::filesystem::path& path)
{
    return QStringLiteral("Orvane ran out of open files while reading ") + pathText(path)
        + QStringLiteral(". Nothing was changed.");
}

} // namespace

TEST(OpenFileLimit, AWorldOfManyFoldersIsBackedUpListedRestoredAndVerifiedUnderALowLimit)
{
    RestoreLayout layout;
    // Several times more folders than the limit leaves descriptors: one kept per folder runs out.
    constexpr int kFolders = 600;
    for (int i = 0; i < kFolders; ++i)
        writeFile(layout.saves / "World" / ("d" + std::to_string(i)) / "x.dat", QByteArray::number(i));

    auto files = std::make_shared<FaultyFileOperations>();
    BackupStore store(layout.worldStore, files, layout.tmp);
    const std::size_t baseline = openDescriptors();
    std::size_t most = baseline;
    const auto sample = [&] { most = std::max(most, openDescriptors()); };
    // Every few file operations: a descriptor kept per folder would pile up far past the bound between two.
    int calls = 0;
    files->beforeEach = [&](Op, const std::filesystem::path&) {
        if (++calls % 8 == 0)
            sample();
    };
    store.setRestoreCheckpoint([&](const RestoreCheckpoint&) { sample(); });

    const OpenFileLimit limit(baseline + 96);
    ASSERT_TRUE(limit.set());
    BackupManifest backup;
    struct Step {
        const char* name;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"world backup", [&] { backup = store.createWorldBackup(layout.instance, "Many folders."); }},
        {"listing",
         [&] {
             const auto listed = store.listBackups();
             ASSERT_EQ(listed.size(), 1u);
             EXPECT_EQ(listed.front().manifest.id, backup.id);
             ASSERT_TRUE(store.latestBackup(layout.instance, BackupKind::saves));
         }},
        {"restore over a changed world",
         [&] {
             for (int i = 0; i < kFolders; i += 7)
                 writeFile(layout.saves / "World" / ("d" + std::to_string(i)) / "x.dat", "played since");
             for (int i = 1; i < 40; i += 3)
                 std::filesystem::remove_all(layout.saves / "World" / ("d" + std::to_string(i)));
             const RestoreResult result = store.restoreLatestBackup(layout.instance, std::nullopt, BackupKind::saves);
             EXPECT_EQ(result.restoredFiles.size(), std::size_t(kFolders));
             for (int i : {0, 1, 7, kFolders - 1})
                 EXPECT_EQ(readFile(layout.saves / "World" / ("d" + std::to_string(i)) / "x.dat"), QByteArray::number(i));
         }},
        {"verification",
         [&] { store.verifySnapshot(backup, layout.worldStore / backup.id.toStdString()); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        try {
            step.run();
        } catch (const std::exception& error) {
            ADD_FAILURE() << error.what();
        }
        sample();
        // A few caches of a few dozen folders at most, whatever the tree holds.
        EXPECT_LE(most, baseline + 64);
    }
}

TEST(OpenFileLimit, RunningOutOfOpenFilesIsReportedAsSuchNeverAsAMissingOrChangedFile)
{
    struct Context {
        RestoreLayout layout;
        std::shared_ptr<FaultyFileOperations> files = std::make_shared<FaultyFileOperations>();
        BackupStore store{layout.worldStore, files, layout.tmp};
        BackupManifest backup;
        std::filesystem::path snapshot() const { return layout.worldStore / backup.id.toStdString(); }
    };
    struct Case {
        const char* name;
        // The path the error must name.
        std::function<std::filesystem::path(const Context&)> named;
        // Breaks the operation and runs it.
        std::function<void(Context&)> run;
    };
    const Case cases[] = {
        {"a manifest that cannot be opened hides no backup from the listing",
         [](const Context& c) { return c.snapshot(); },
         [](Context& c) {
             c.files->failOn(Op::readRegularFile, 1, EMFILE);
             c.store.listBackups();
         }},
        {"a world file that cannot be copied is no changed world", [](const Context& c) { return c.layout.saves; },
         [](Context& c) {
             c.files->failOn(Op::cloneOrCopy, 2, ENFILE);
             c.store.createWorldBackup(c.layout.instance, "Again.");
         }},
        {"a backup copy that cannot be staged replaces nothing",
         [](const Context& c) { return c.snapshot() / "saves/World/level.dat"; },
         [](Context& c) {
             c.files->failOn(Op::cloneOrCopy, 1, EMFILE);
             c.store.restoreLatestBackup(c.layout.instance, std::nullopt, BackupKind::saves);
         }},
        {"a snapshot checked with no descriptor left is not missing its copies",
         [](const Context& c) { return c.snapshot() / "saves/World/level.dat"; },
         [](Context& c) {
             const ExhaustedDescriptors exhausted;
             c.store.verifySnapshot(c.backup, c.snapshot());
         }},
        {"a restore planned with no descriptor left is not refused for a link",
         [](const Context& c) { return c.layout.saves / "World/level.dat"; },
         [](Context& c) {
             const ExhaustedDescriptors exhausted;
             c.store.planRestore(c.backup, c.snapshot(), c.layout.instance, std::nullopt);
         }},
        {"world files checked with no descriptor left are no changed world",
         [](const Context& c) { return c.layout.saves / "World/region/r.0.0.mca"; },
         [](Context& c) {
             const ExhaustedDescriptors exhausted;
             c.store.validateWorldSources({c.layout.saves / "World/region/r.0.0.mca"}, c.layout.instance);
         }},
        {"a saves folder walked with no descriptor left is no incomplete tree",
         [](const Context& c) { return c.layout.saves; },
         [](Context& c) {
             const ExhaustedDescriptors exhausted;
             scanWorldSaves(c.layout.saves);
         }},
        {"a backup that cannot open its lock file is no busy store",
         [](const Context& c) { return c.store.lockFile(); },
         [](Context& c) {
             const ExhaustedDescriptors exhausted;
             c.store.createWorldBackup(c.layout.instance, "Again.");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Context context;
        writeFile(context.layout.saves / "World/level.dat", "level");
        writeFile(context.layout.saves / "World/region/r.0.0.mca", "region");
        context.backup = context.store.createWorldBackup(context.layout.instance, "First.");
        writeFile(context.layout.saves / "World/level.dat", "level, played since");
        const auto before = treeOf(context.layout.instance);

        const auto error = orvaneErrorOf([&] { c.run(context); });
        EXPECT_EQ(error, ioError(outOfOpenFiles(c.named(context))));
        EXPECT_EQ(treeOf(context.layout.instance), before);
        EXPECT_EQ(context.store.listBackups().size(), 1u);
    }
}
