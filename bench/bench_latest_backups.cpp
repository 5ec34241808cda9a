// Showing the latest backups (at start and after every inspection or selection) with 1, 10 and 50
// world backups of a 2,000-file world in the store: the time should not grow with the backups.
#include "WorldBench.h"

#include "model/DirectLaunchGateEvaluator.h"
#include "model/OrvanePaths.h"
#include "platform/FileOperations.h"
#include "records/BackupStore.h"
#include "session/CompanionSession.h"

#include <QDateTime>

#include <map>

namespace {

constexpr worldbench::Shape kWorld{"2000x4KiB", 2000, std::size_t(4) << 10};
constexpr int kCounts[] = {1, 10, 50};

struct Home : worldbench::ScratchFolder {
    std::filesystem::path home = base / "home";
    std::filesystem::path instance = home / "Library/Application Support/technic/modpacks/tekkit-2";
    orvane::OrvanePaths paths{home, {}};
    int backups = 0;
    QDateTime when = QDateTime::currentDateTimeUtc().addDays(-1);

    Home() : ScratchFolder("orvane-bench-latest") { worldbench::writeSaves(instance, 0x9E3779B97F4A7C15ull, kWorld); }

    void growTo(int count)
    {
        orvane::BackupStore store(paths.backups / "saves", orvane::FileOperations::system());
        store.setClock([this] { return when; });
        for (; backups < count; ++backups) {
            store.createWorldBackup(instance, QStringLiteral("bench"));
            when = when.addSecs(60);
        }
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
    h.growTo(int(state.range(0)));
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

} // namespace

BENCHMARK(orvaneLatestBackups)->Arg(kCounts[0])->Arg(kCounts[1])->Arg(kCounts[2])->Unit(benchmark::kMillisecond)
    ->Iterations(10)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    struct Ratio : benchmark::ConsoleReporter {
        std::map<std::int64_t, double> byCount;
        void ReportRuns(const std::vector<Run>& runs) override
        {
            ConsoleReporter::ReportRuns(runs);
            for (const auto& r : runs)
                byCount[std::stoll(r.run_name.args)] = r.GetAdjustedRealTime();
        }
    } reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double one = reporter.byCount[kCounts[0]];
    for (const int count : kCounts) {
        if (one > 0 && reporter.byCount.count(count))
            std::printf("latestBackups with %d world backups of 2,000 files: %.2f ms, %.2f times the 1-backup time "
                        "(aim: at most 1.5)\n",
                        count, reporter.byCount[count], reporter.byCount[count] / one);
    }
    benchmark::Shutdown();
    return 0;
}
