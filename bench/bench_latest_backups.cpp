// Showing the latest backups (at start and after every inspection or selection) over ten world
// backups of 100 MiB each, against hashing the files of one such backup once, in one run.
#include "WorldBench.h"

#include "model/DirectLaunchGateEvaluator.h"
#include "model/FileDigest.h"
#include "model/OrvanePaths.h"
#include "model/Stage2GateEvidence.h"
#include "platform/FileOperations.h"
#include "records/BackupStore.h"
#include "session/CompanionSession.h"

#include <QDateTime>

namespace {

constexpr int kBackups = 10;
constexpr int kWorldFiles = 100;
constexpr std::size_t kWorldFileSize = std::size_t(1) << 20; // 100 × 1 MiB

struct Home : worldbench::ScratchFolder {
    std::filesystem::path home = base / "home";
    std::filesystem::path instance = home / "Library/Application Support/technic/modpacks/tekkit-2";
    orvane::OrvanePaths paths{home, {}};
    std::filesystem::path oneBackup;

    Home() : ScratchFolder("orvane-bench-latest")
    {
        std::vector<char> bytes(kWorldFileSize);
        std::uint64_t x = 0x9E3779B97F4A7C15ull;
        for (int i = 0; i < kWorldFiles; ++i) {
            const auto folder = instance / "saves" / "New World" / "region";
            std::filesystem::create_directories(folder);
            for (std::size_t off = 0; off < bytes.size(); off += 8) {
                x ^= x << 13, x ^= x >> 7, x ^= x << 17;
                std::memcpy(bytes.data() + off, &x, 8);
            }
            std::ofstream(folder / ("r." + std::to_string(i) + ".mca"), std::ios::binary)
                .write(bytes.data(), std::streamsize(bytes.size()));
        }
        orvane::BackupStore store(paths.backups / "saves", orvane::FileOperations::system());
        for (int i = 0; i < kBackups; ++i)
            oneBackup = store.root() / store.createWorldBackup(instance, QStringLiteral("bench")).id.toStdString();
        ::sync();
    }
};

Home& home()
{
    static Home h;
    return h;
}

void orvaneLatestBackups(benchmark::State& state)
{
    auto& h = home();
    orvane::CompanionSession session(h.paths, orvane::TechnicLocator(h.home), nullptr, nullptr, h.instance,
                                     std::nullopt, nullptr, orvane::CompanionSession::supportedPacks(), {},
                                     orvane::DirectLaunchGateEvaluator{QDateTime::currentDateTimeUtc()}, 180);
    session.inspect();
    for (auto _ : state) {
        const auto latest = session.latestBackups();
        if (!latest.world)
            state.SkipWithError("no world backup found");
        benchmark::DoNotOptimize(latest);
    }
}

void hashOneBackupOnce(benchmark::State& state)
{
    auto& h = home();
    for (auto _ : state) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(h.oneBackup)) {
            if (entry.is_regular_file())
                benchmark::DoNotOptimize(orvane::sha256Hex(entry.path()));
        }
    }
}

} // namespace

BENCHMARK(hashOneBackupOnce)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(orvaneLatestBackups)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

int main(int argc, char** argv)
{
    return worldbench::runWithRatio(
        argc, argv, "latestBackups over ten 100 MiB world backups relative to hashing one backup once",
        [] { home(); });
}
