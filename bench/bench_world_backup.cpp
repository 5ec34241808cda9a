// A world backup of 1 GiB in 2,000 files against `cp -r` of the same tree followed by `sha256sum`
// over both trees, in one run.
#include "WorldBench.h"

#include "platform/FileOperations.h"
#include "records/BackupStore.h"

#include <stdlib.h>

namespace {

struct World {
    std::filesystem::path base;
    std::filesystem::path instance;
    World()
    {
        char pattern[] = "/tmp/orvane-bench-world-XXXXXX";
        base = ::mkdtemp(pattern);
        instance = base / "instance";
        worldbench::writeSaves(instance, 0x9E3779B97F4A7C15ull);
        ::sync();
    }
    ~World()
    {
        std::error_code ec;
        std::filesystem::remove_all(base, ec);
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
