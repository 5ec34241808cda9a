// A world backup of 1 GiB in 2,000 files against `cp -r` of the same tree followed by `sha256sum`
// over both trees, in one run.
#include "platform/FileOperations.h"
#include "records/BackupStore.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr int kFiles = 2000;
constexpr std::size_t kFileSize = std::size_t(512) << 10; // 2,000 × 512 KiB ≈ 1 GiB

struct World {
    std::filesystem::path base;
    std::filesystem::path instance;
    World()
    {
        char pattern[] = "/tmp/orvane-bench-world-XXXXXX";
        base = ::mkdtemp(pattern);
        instance = base / "instance";
        std::vector<char> bytes(kFileSize);
        std::uint64_t x = 0x9E3779B97F4A7C15ull;
        for (int i = 0; i < kFiles; ++i) {
            // A few worlds with dimensions and region folders, as a real saves folder has.
            const auto folder = instance / "saves" / ("World " + std::to_string(i % 4)) / ("DIM" + std::to_string(i % 3))
                / "region";
            std::filesystem::create_directories(folder);
            for (std::size_t off = 0; off < kFileSize; off += 8) {
                x ^= x << 13, x ^= x >> 7, x ^= x << 17;
                std::memcpy(bytes.data() + off, &x, 8);
            }
            std::ofstream(folder / ("r." + std::to_string(i) + ".mca"), std::ios::binary)
                .write(bytes.data(), std::streamsize(bytes.size()));
        }
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

void settle(const std::filesystem::path& remove)
{
    std::error_code ec;
    std::filesystem::remove_all(remove, ec);
    ::sync();
}

void orvaneWorldBackup(benchmark::State& state)
{
    auto& w = world();
    const auto store = w.base / "store";
    for (auto _ : state) {
        orvane::BackupStore backups(store, orvane::FileOperations::system());
        benchmark::DoNotOptimize(backups.createWorldBackup(w.instance, "bench"));
        state.PauseTiming();
        settle(store);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFiles) * int64_t(kFileSize));
}

void cpAndSha256sum(benchmark::State& state)
{
    auto& w = world();
    const auto copy = w.base / "copy";
    const std::string command = "cp -r '" + (w.instance / "saves").native() + "' '" + copy.native() + "' && find '"
        + (w.instance / "saves").native() + "' '" + copy.native() + "' -type f -print0 | xargs -0 sha256sum > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp or sha256sum failed");
        state.PauseTiming();
        settle(copy);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFiles) * int64_t(kFileSize));
}

} // namespace

BENCHMARK(cpAndSha256sum)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(orvaneWorldBackup)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    world();
    struct Ratio : benchmark::ConsoleReporter {
        double baseline = 0, backup = 0;
        void ReportRuns(const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns(runs);
            for (const auto& r : runs)
                (r.benchmark_name().find("orvane") != std::string::npos ? backup : baseline) = r.GetAdjustedRealTime();
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.baseline > 0)
        std::printf("world backup time relative to cp -r + sha256sum of both trees: %.3f (aim: at most 1.25)\n",
                    reporter.backup / reporter.baseline);
    benchmark::Shutdown();
    return 0;
}
