// One launch-watch poll on logs of 1 MB and of 100 MB that each grew by 1 KB since the poll
// before. A poll reads only what the logs gained, so both sizes must cost the same.
#include "technic/LaunchWatch.h"

#include <cstdlib>
#include <benchmark/benchmark.h>

#include <QDateTime>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <stdlib.h>

namespace {

// Nothing runs: the poll's cost is the logs'.
class QuietProcesses final : public orvane::ProcessInspecting {
public:
    bool isProcessRunning(const QString&) const override { return false; }
    bool isApplicationRunning(const QString&) const override { return false; }
    bool isGameJavaRunning() const override { return false; }
    bool isTechnicLauncherJavaRunning() const override { return false; }
    std::optional<orvane::GameJavaArchitecture> gameJavaArchitecture() const override { return std::nullopt; }
};

// 1 KB of log lines without any deciding text.
std::string kilobyteOfLines()
{
    std::string text;
    while (text.size() < 1024)
        text += "[10:03:52] [Client thread/INFO] [jei]: Registering ingredients for a mod\n";
    text.resize(1023);
    text += '\n';
    return text;
}

void append(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// An instance and a launcher data folder whose three logs hold `megabytes` each.
struct Home {
    std::filesystem::path root;
    std::filesystem::path instance;
    std::filesystem::path data;
    std::vector<std::filesystem::path> logs;

    explicit Home(int megabytes)
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvane-bench-poll-XXXXXX";
        root = ::mkdtemp(pattern.data());
        instance = root / "instance";
        data = root / "data";
        std::filesystem::create_directories(instance / "logs");
        std::filesystem::create_directories(instance / "crash-reports");
        std::filesystem::create_directories(data / "logs");
        logs = {instance / "logs" / "latest.log", instance / "logs" / "fml-client-latest.log",
                data / "logs" / "techniclauncher_2026-12-09.log"};
        std::string megabyte;
        const std::string line = kilobyteOfLines();
        while (megabyte.size() < (std::size_t(1) << 20))
            megabyte += line;
        megabyte.resize(std::size_t(1) << 20);
        for (const auto& log : logs) {
            std::ofstream out(log, std::ios::binary);
            for (int i = 0; i < megabytes; ++i)
                out.write(megabyte.data(), std::streamsize(megabyte.size()));
        }
    }
    ~Home() { std::filesystem::remove_all(root); }
};

void observerPoll(benchmark::State& state)
{
    const Home home(int(state.range(0)));
    orvane::LaunchWatch watch(std::make_shared<QuietProcesses>(), home.instance, home.data,
                              QDateTime::currentDateTimeUtc());
    const std::string grown = kilobyteOfLines();
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& log : home.logs)
            append(log, grown);
        state.ResumeTiming();
        benchmark::DoNotOptimize(watch.poll());
    }
    state.counters["log_MB"] = double(state.range(0));
    state.counters["bytes_read_per_poll_B"] = double(watch.bytesRead()) / double(state.iterations());
}

} // namespace

BENCHMARK(observerPoll)->Arg(1)->Arg(100)->Unit(benchmark::kMicrosecond)->Iterations(3000);

BENCHMARK_MAIN();
