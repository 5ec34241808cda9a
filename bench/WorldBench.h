#pragma once

// What the world backup and restore benchmarks share: the shapes of the generated saves trees, the
// `cp -r` + `sha256sum` baseline over the same bytes, and a runner that alternates the baseline with
// Orvane's operation and prints the median of the per-run ratios for each shape.
//
// Own flags (before Google Benchmark's): --shapes=<name>[,<name>…] (default all), --runs=N (default 5; 0 makes the
// trees alone, so that strace can count the set-up's calls apart), --warmup=N (untimed pairs first, default 1;
// 0 when counting calls),
// --skip-baseline (Orvane only, for counting its system calls with strace).
//
// Why a warm-up pair: every measured run follows a run that removed a tree of the same shape, as in steady
// use. On a file system that avoids reusing inodes freed in the last seconds (ext4 without a journal walks
// past each of them), only the very first run would start without such a walk, which favours whichever
// side goes first.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace worldbench {

struct Shape {
    const char* name;
    int files;
    std::size_t fileSize;
    std::uint64_t totalBytes() const { return std::uint64_t(files) * fileSize; }
};

inline constexpr Shape kShapes[] = {
    {"2000x512KiB", 2000, std::size_t(512) << 10}, // ≈ 1 GiB in region-sized files
    {"20000x4KiB", 20000, std::size_t(4) << 10},   // many small files: per-file costs dominate
    {"1x1GiB", 1, std::size_t(1) << 30},           // one large file: per-byte costs dominate
};

// Writes the saves tree of `shape` under `instance`: a few worlds with dimensions and region folders,
// as a real saves folder has; `seed` picks the bytes. Rewrites files that exist.
inline void writeSaves(const std::filesystem::path& instance, std::uint64_t seed, const Shape& shape)
{
    const std::size_t chunk = std::min(shape.fileSize, std::size_t(1) << 20);
    std::vector<char> bytes(chunk);
    std::uint64_t x = seed;
    for (int i = 0; i < shape.files; ++i) {
        const auto folder =
            instance / "saves" / ("World " + std::to_string(i % 4)) / ("DIM" + std::to_string(i % 3)) / "region";
        std::filesystem::create_directories(folder);
        const auto file = folder / ("r." + std::to_string(i) + ".mca");
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::perror(file.c_str());
            std::exit(1);
        }
        for (std::size_t written = 0; written < shape.fileSize; written += chunk) {
            for (std::size_t off = 0; off < chunk; off += 8) {
                x ^= x << 13, x ^= x >> 7, x ^= x << 17;
                std::memcpy(bytes.data() + off, &x, 8);
            }
            if (::write(fd, bytes.data(), chunk) != ssize_t(chunk)) {
                std::perror(file.c_str());
                std::exit(1);
            }
        }
        ::close(fd);
    }
}

// Where scratch trees go: TMPDIR when set (so that a run can measure another file system), else /tmp.
inline std::string scratchRoot()
{
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? std::string(tmp) : std::string("/tmp");
}

// A fresh folder under the scratch root, removed with everything in it when the value goes.
struct ScratchFolder {
    std::filesystem::path base;
    explicit ScratchFolder(const char* prefix)
    {
        std::string pattern = scratchRoot() + "/" + prefix + "-XXXXXX";
        base = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(base, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
};

inline void settle(const std::filesystem::path& remove)
{
    std::error_code ec;
    std::filesystem::remove_all(remove, ec);
    ::sync();
}

// `cp -r source copy` followed by `sha256sum` over both trees; `copy` is removed afterwards, untimed.
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
}

// One shape's prepared tree and the two operations measured on it. `ours` runs Orvane's operation once
// per iteration (its untimed clean-up included); `baseline` runs copyAndHash.
struct Measured {
    std::function<void(benchmark::State&)> baseline;
    std::function<void(benchmark::State&)> ours;
};

struct Options {
    std::vector<Shape> shapes;
    int runs = 5;
    int warmup = 1;
    bool skipBaseline = false;
};

// Takes this runner's own flags out of argv.
inline Options parseOptions(int& argc, char** argv)
{
    Options options;
    std::vector<std::string> names;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--shapes=")) {
            std::string list(arg.substr(9));
            for (std::size_t start = 0; start <= list.size();) {
                const std::size_t end = std::min(list.find(',', start), list.size());
                names.push_back(list.substr(start, end - start));
                start = end + 1;
            }
        } else if (arg.starts_with("--runs=")) {
            options.runs = std::max(0, std::atoi(argv[i] + 7)); // 0: the trees alone, for strace
        } else if (arg.starts_with("--warmup=")) {
            options.warmup = std::max(0, std::atoi(argv[i] + 9));
        } else if (arg == "--skip-baseline") {
            options.skipBaseline = true;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    for (const Shape& shape : kShapes) {
        if (names.empty() || std::find(names.begin(), names.end(), shape.name) != names.end())
            options.shapes.push_back(shape);
    }
    return options;
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// For every chosen shape: prepares it with `prepare`, runs the baseline and Orvane's operation
// alternately `runs` times, then prints the medians and the median of the per-run ratios, and drops
// the shape's tree before the next one.
template <typename Fixture>
int runShapes(int argc, char** argv, const char* operation,
              std::function<std::unique_ptr<Fixture>(const Shape&)> prepare,
              std::function<Measured(Fixture&, const Shape&)> measure)
{
    const Options options = parseOptions(argc, argv);
    benchmark::Initialize(&argc, argv);
    struct Times : benchmark::ConsoleReporter {
        std::map<std::string, double> seconds; // by benchmark name
        void ReportRuns(const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns(runs);
            for (const auto& r : runs)
                seconds[r.run_name.function_name] = r.real_accumulated_time / double(r.iterations);
        }
    };
    std::vector<std::string> summary;
    for (const Shape& shape : options.shapes) {
        auto fixture = prepare(shape);
        const Measured measured = measure(*fixture, shape);
        const auto name = [&](const char* what, int run) {
            return std::string(what) + "/" + shape.name + "/run:" + std::to_string(run);
        };
        // Runs numbered 0 and below are the warm-up: run, not counted.
        for (int run = options.runs > 0 ? 1 - options.warmup : 1; run <= options.runs; ++run) {
            if (!options.skipBaseline)
                benchmark::RegisterBenchmark(name("cp_sha256sum", run).c_str(), measured.baseline)
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(1)
                    ->UseRealTime();
            benchmark::RegisterBenchmark(name("orvane", run).c_str(), measured.ours)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1)
                ->UseRealTime();
        }
        Times times;
        benchmark::RunSpecifiedBenchmarks(&times);
        benchmark::ClearRegisteredBenchmarks();
        std::vector<double> baseline, ours, ratios;
        for (int run = 1; run <= options.runs; ++run) {
            const double b = times.seconds[name("cp_sha256sum", run)];
            const double o = times.seconds[name("orvane", run)];
            baseline.push_back(b);
            ours.push_back(o);
            if (b > 0)
                ratios.push_back(o / b);
        }
        char line[512];
        std::snprintf(line, sizeof line,
                      "%s %s: median %.3f s against cp -r + sha256sum %.3f s; median ratio %.3f over %d runs (aim: at "
                      "most %s)",
                      operation, shape.name, median(ours), median(baseline), median(ratios), options.runs,
                      shape.fileSize >= (std::size_t(512) << 10) ? "1.0" : "1.25");
        std::printf("%s\n", line);
        summary.emplace_back(line);
    }
    std::printf("\n");
    for (const auto& line : summary)
        std::printf("%s\n", line.c_str());
    benchmark::Shutdown();
    return 0;
}

} // namespace worldbench
