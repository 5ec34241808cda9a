// sha256Hex over a 256 MiB file against raw OpenSSL over the same bytes in memory.
#include "model/FileDigest.h"
#include "platform/Sha256.h"

#include <cstdlib>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr std::size_t kSize = std::size_t(256) << 20;

struct Sample {
    std::string path;
    std::vector<char> bytes;
    Sample() : bytes(kSize)
    {
        for (std::size_t i = 0; i < kSize; ++i)
            bytes[i] = char((i * 2654435761u) >> 13);
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/orvane-bench-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        path = pattern;
        for (std::size_t off = 0; off < kSize;)
            off += std::size_t(::write(fd, bytes.data() + off, kSize - off));
        ::close(fd);
    }
    ~Sample() { ::unlink(path.c_str()); }
};

Sample& sample()
{
    static Sample s;
    return s;
}

void rawOpenSslInMemory(benchmark::State& state)
{
    auto& s = sample();
    // Fed in the same 1 MiB pieces the file digest reads, so both run over cache-sized chunks.
    for (auto _ : state) {
        orvane::Sha256 hasher;
        for (std::size_t off = 0; off < kSize; off += std::size_t(1) << 20)
            hasher.update(s.bytes.data() + off, std::size_t(1) << 20);
        benchmark::DoNotOptimize(hasher.finish());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kSize));
}

void sha256HexOfFile(benchmark::State& state)
{
    auto& s = sample();
    for (auto _ : state)
        benchmark::DoNotOptimize(orvane::sha256Hex(s.path));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kSize));
}

} // namespace

BENCHMARK(rawOpenSslInMemory)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(sha256HexOfFile)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    sample(); // generated before any timing starts
    struct Ratio : benchmark::ConsoleReporter {
        double raw = 0, file = 0;
        void ReportRuns(const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns(runs);
            for (const auto& r : runs) {
                (r.benchmark_name().find("raw") != std::string::npos ? raw : file) = r.GetAdjustedRealTime();
            }
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.file > 0)
        std::printf("sha256Hex throughput relative to raw OpenSSL in memory: %.3f\n", reporter.raw / reporter.file);
    benchmark::Shutdown();
    return 0;
}
