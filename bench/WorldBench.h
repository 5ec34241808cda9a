#pragma once

// What the world backup and restore benchmarks share: a generated 1 GiB saves tree, the
// `cp -r` + `sha256sum` baseline over the same bytes, and a reporter printing the ratio.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>
#include <unistd.h>

namespace worldbench {

inline constexpr int kFiles = 2000;
inline constexpr std::size_t kFileSize = std::size_t(512) << 10; // 2,000 × 512 KiB ≈ 1 GiB

// Writes the saves tree under `instance`: a few worlds with dimensions and region folders, as a
// real saves folder has; `seed` picks the bytes.
inline void writeSaves(const std::filesystem::path& instance, std::uint64_t seed)
{
    std::vector<char> bytes(kFileSize);
    std::uint64_t x = seed;
    for (int i = 0; i < kFiles; ++i) {
        const auto folder =
            instance / "saves" / ("World " + std::to_string(i % 4)) / ("DIM" + std::to_string(i % 3)) / "region";
        std::filesystem::create_directories(folder);
        for (std::size_t off = 0; off < kFileSize; off += 8) {
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            std::memcpy(bytes.data() + off, &x, 8);
        }
        std::ofstream(folder / ("r." + std::to_string(i) + ".mca"), std::ios::binary)
            .write(bytes.data(), std::streamsize(bytes.size()));
    }
}

// A fresh folder under /tmp for one benchmark program, removed with everything in it at exit.
struct ScratchFolder {
    std::filesystem::path base;
    explicit ScratchFolder(const char* prefix)
    {
        std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
        base = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(base, ec);
    }
};

inline void settle(const std::filesystem::path& remove)
{
    std::error_code ec;
    std::filesystem::remove_all(remove, ec);
    ::sync();
}

inline void setBytes(benchmark::State& state)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFiles) * int64_t(kFileSize));
}

// `cp -r source copy` followed by `sha256sum` over both trees.
inline void copyAndHash(benchmark::State& state, const std::filesystem::path& source, const std::filesystem::path& copy)
{
    const std::string command = "cp -r '" + source.native() + "' '" + copy.native() + "' && find '" + source.native()
        + "' '" + copy.native() + "' -type f -print0 | xargs -0 sha256sum > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cp or sha256sum failed");
        state.PauseTiming();
        settle(copy);
        state.ResumeTiming();
    }
    setBytes(state);
}

// Runs the registered benchmarks and prints `label` with the time of the run whose name holds
// "orvane" relative to the other one.
inline int runWithRatio(int argc, char** argv, const char* label, void (*prepare)())
{
    benchmark::Initialize(&argc, argv);
    prepare();
    struct Ratio : benchmark::ConsoleReporter {
        double baseline = 0, ours = 0;
        void ReportRuns(const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns(runs);
            for (const auto& r : runs)
                (r.benchmark_name().find("orvane") != std::string::npos ? ours : baseline) = r.GetAdjustedRealTime();
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.baseline > 0)
        std::printf("%s: %.3f\n", label, reporter.ours / reporter.baseline);
    benchmark::Shutdown();
    return 0;
}

} // namespace worldbench
