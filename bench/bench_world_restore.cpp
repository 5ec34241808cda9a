// A verified restore of a 1 GiB world backup (2,000 files, every destination existing, so every file is
// swapped into place) against `cp -r` of the same tree followed by `sha256sum` over both trees, in one run.
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
    std::filesystem::path store;
    std::filesystem::path tmp;
    orvane::BackupManifest backup;

    World()
    {
        char pattern[] = "/tmp/orvane-bench-restore-XXXXXX";
        base = ::mkdtemp(pattern);
        instance = base / "instance";
        store = base / "backups/saves";
        tmp = base / "tmp";
        write(0x9E3779B97F4A7C15ull);
        orvane::BackupStore backups(store, orvane::FileOperations::system(), tmp);
        backup = backups.createWorldBackup(instance, "bench");
        // The world moves on after the backup: every file the restore puts back differs.
        write(0xD1B54A32D192ED03ull);
        ::sync();
    }
    ~World()
    {
        std::error_code ec;
        std::filesystem::remove_all(base, ec);
    }

    void write(std::uint64_t x) const
    {
        std::vector<char> bytes(kFileSize);
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
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFiles) * int64_t(kFileSize));
}

void cpAndSha256sum(benchmark::State& state)
{
    auto& w = world();
    const auto source = w.store / w.backup.id.toStdString() / "saves";
    const auto copy = w.base / "copy";
    const std::string command = "cp -r '" + source.native() + "' '" + copy.native() + "' && find '" + source.native()
        + "' '" + copy.native() + "' -type f -print0 | xargs -0 sha256sum > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp or sha256sum failed");
        state.PauseTiming();
        std::error_code ec;
        std::filesystem::remove_all(copy, ec);
        ::sync();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFiles) * int64_t(kFileSize));
}

} // namespace

BENCHMARK(cpAndSha256sum)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(orvaneWorldRestore)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    world();
    struct Ratio : benchmark::ConsoleReporter {
        double baseline = 0, restore = 0;
        void ReportRuns(const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns(runs);
            for (const auto& r : runs)
                (r.benchmark_name().find("orvane") != std::string::npos ? restore : baseline) = r.GetAdjustedRealTime();
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.baseline > 0)
        std::printf("world restore time relative to cp -r + sha256sum of both trees: %.3f\n",
                    reporter.restore / reporter.baseline);
    benchmark::Shutdown();
    return 0;
}
