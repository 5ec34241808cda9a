// A world backup of 1 GiB in 2,000 files against `cp -r` of the same tree followed by `sha256sum`
// over both trees, in one run.
#include "WorldBench.h"

#include "platform/FileOperations.h"
#include "records/BackupStore.h"

namespace {

struct World : worldbench::ScratchFolder {
    std::filesystem::path instance = base / "instance";
    World() : ScratchFolder("orvane-bench-world")
    {
        worldbench::writeSaves(instance, 0x9E3779B97F4A7C15ull);
        ::sync();
    }
};

World& world()
{
    static World w;
    return w;
}

void orvaneWorldBackup(benchmark::State& state)
{
    auto& w = world();
    const auto store = w.base / "store";
    for (auto _ : state) {
        orvane::BackupStore backups(store, orvane::FileOperations::system());
        benchmark::DoNotOptimize(backups.createWorldBackup(w.instance, "bench"));
        state.PauseTiming();
        worldbench::settle(store);
        state.ResumeTiming();
    }
    worldbench::setBytes(state);
}

void cpAndSha256sum(benchmark::State& state)
{
    auto& w = world();
    worldbench::copyAndHash(state, w.instance / "saves", w.base / "copy");
}

} // namespace

BENCHMARK(cpAndSha256sum)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(orvaneWorldBackup)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv)
{
    return worldbench::runWithRatio(argc, argv,
                                    "world backup time relative to cp -r + sha256sum of both trees (aim: at most 1.25)",
                                    [] { world(); });
}
