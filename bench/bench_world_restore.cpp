// A verified restore of a 1 GiB world backup (2,000 files, every destination existing, so every file is
// swapped into place) against `cp -r` of the same tree followed by `sha256sum` over both trees, in one run.
#include "WorldBench.h"

#include "platform/FileOperations.h"
#include "records/BackupStore.h"

namespace {

struct World : worldbench::ScratchFolder {
    std::filesystem::path instance = base / "instance";
    std::filesystem::path store = base / "backups/saves";
    std::filesystem::path tmp = base / "tmp";
    orvane::BackupManifest backup;

    World() : ScratchFolder("orvane-bench-restore")
    {
        worldbench::writeSaves(instance, 0x9E3779B97F4A7C15ull);
        orvane::BackupStore backups(store, orvane::FileOperations::system(), tmp);
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

void orvaneWorldRestore(benchmark::State& state)
{
    auto& w = world();
    for (auto _ : state) {
        orvane::BackupStore backups(w.store, orvane::FileOperations::system(), w.tmp);
        benchmark::DoNotOptimize(backups.restoreLatestBackup(w.instance, std::nullopt, orvane::BackupKind::saves));
        state.PauseTiming();
        ::sync();
        state.ResumeTiming();
    }
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
    return worldbench::runWithRatio(argc, argv, "world restore time relative to cp -r + sha256sum of both trees",
                                    [] { world(); });
}
