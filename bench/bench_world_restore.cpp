// A verified restore of a 1 GiB world backup (2,000 files, every destination existing, so every file is
// swapped into place) from a store that also holds older backups, against `cp -r` of the same tree
// followed by `sha256sum` over both trees, in one run. Also prints the bytes the restore read and
// wrote per restored byte (from /proc/self/io, page cache included).
#include "WorldBench.h"

#include "platform/FileOperations.h"
#include "records/BackupStore.h"

#include <fstream>
#include <map>
#include <string>

namespace {

constexpr int kOlderBackups = 3;

struct World : worldbench::ScratchFolder {
    std::filesystem::path instance = base / "instance";
    std::filesystem::path store = base / "backups/saves";
    std::filesystem::path tmp = base / "tmp";
    orvane::BackupManifest backup;

    World() : ScratchFolder("orvane-bench-restore")
    {
        orvane::BackupStore backups(store, orvane::FileOperations::system(), tmp);
        QDateTime when = QDateTime::currentDateTimeUtc().addDays(-1);
        backups.setClock([&] { return when; });
        // Older backups of other states of the world: choosing the newest must not read them.
        for (int i = 0; i < kOlderBackups; ++i) {
            worldbench::writeSaves(instance, 0x5851F42D4C957F2Dull + std::uint64_t(i));
            backups.createWorldBackup(instance, "older");
            when = when.addSecs(60);
        }
        worldbench::writeSaves(instance, 0x9E3779B97F4A7C15ull);
        backup = backups.createWorldBackup(instance, "bench");
        // The world moves on after the backup: every file the restore puts back differs.
        worldbench::writeSaves(instance, 0xD1B54A32D192ED03ull);
        ::sync();
    }
};

World& world()
{
    static World w;
    return w;
}

// rchar and wchar of this process.
std::map<std::string, double> processIo()
{
    std::map<std::string, double> io;
    std::ifstream in("/proc/self/io");
    std::string key;
    double value = 0;
    while (in >> key >> value)
        io[key] = value;
    return io;
}

void orvaneWorldRestore(benchmark::State& state)
{
    auto& w = world();
    double read = 0, written = 0;
    for (auto _ : state) {
        const auto before = processIo();
        orvane::BackupStore backups(w.store, orvane::FileOperations::system(), w.tmp);
        benchmark::DoNotOptimize(backups.restoreLatestBackup(w.instance, std::nullopt, orvane::BackupKind::saves));
        const auto after = processIo();
        read += after.at("rchar:") - before.at("rchar:");
        written += after.at("wchar:") - before.at("wchar:");
        state.PauseTiming();
        ::sync();
        state.ResumeTiming();
    }
    const double restored = double(state.iterations()) * double(worldbench::kFiles) * double(worldbench::kFileSize);
    state.counters["read_per_byte"] = read / restored;
    state.counters["written_per_byte"] = written / restored;
    worldbench::setBytes(state);
}

void cpAndSha256sum(benchmark::State& state)
{
    auto& w = world();
    worldbench::copyAndHash(state, w.store / w.backup.id.toStdString() / "saves", w.base / "copy");
}

} // namespace

BENCHMARK(cpAndSha256sum)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(orvaneWorldRestore)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv)
{
    return worldbench::runWithRatio(
        argc, argv, "world restore time relative to cp -r + sha256sum of both trees (aim: at most 1.25)",
        [] { world(); });
}
