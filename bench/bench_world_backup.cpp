// A world backup against `cp -r` of the same tree followed by `sha256sum` over both trees, alternated
// in one run, for each saves shape of WorldBench.h.
#include "WorldBench.h"

#include "platform/FileOperations.h"
#include "records/BackupStore.h"

namespace {

struct World : worldbench::ScratchFolder {
    std::filesystem::path instance = base / "instance";
    explicit World(const worldbench::Shape& shape) : ScratchFolder("orvane-bench-world")
    {
        worldbench::writeSaves(instance, 0x9E3779B97F4A7C15ull, shape);
        ::sync();
    }
};

worldbench::Measured measure(World& w, const worldbench::Shape&)
{
    worldbench::Measured m;
    m.baseline = [&w](benchmark::State& state) { worldbench::copyAndHash(state, w.instance / "saves", w.base / "copy"); };
    m.ours = [&w](benchmark::State& state) {
        const auto store = w.base / "store";
        for (auto _ : state) {
            orvane::BackupStore backups(store, orvane::FileOperations::system());
            benchmark::DoNotOptimize(backups.createWorldBackup(w.instance, "bench"));
            state.PauseTiming();
            worldbench::settle(store);
            state.ResumeTiming();
        }
    };
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    return worldbench::runShapes<World>(
        argc, argv, "world backup", [](const worldbench::Shape& shape) { return std::make_unique<World>(shape); },
        measure);
}
