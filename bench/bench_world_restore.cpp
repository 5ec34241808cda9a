// A verified restore of a world backup (every destination existing, so every file is swapped into
// place) from a store that also holds older backups, against `cp -r` of the backed-up tree followed
// by `sha256sum` over both trees, alternated in one run, for each saves shape of WorldBench.h. Also
// prints the bytes the restore read and wrote per restored byte (from /proc/self/io, page cache
// included).
#include "WorldBench.h"

#include "platform/FileOperations.h"
#include "records/BackupStore.h"

#include <fstream>
#include <map>
#include <string>

namespace {

constexpr int kOlderBackups = 3;

struct World : worldbench::ScratchFolder {
    std::filesystem::path instance = base / "instance";
    std::filesystem::path store = base / "backups/saves";
    std::filesystem::path tmp = base / "tmp";
    orvane::BackupManifest backup;

    explicit World(const worldbench::Shape& shape) : ScratchFolder("orvane-bench-restore")
    {
        orvane::BackupStore backups(store, orvane::FileOperations::system(), tmp);
        QDateTime when = QDateTime::currentDateTimeUtc().addDays(-1);
        backups.setClock([&] { return when; });
        // Older backups of other states of the world: choosing the newest must not read them.
        for (int i = 0; i < kOlderBackups; ++i) {
            worldbench::writeSaves(instance, 0x5851F42D4C957F2Dull + std::uint64_t(i), shape);
            backups.createWorldBackup(instance, "older");
            when = when.addSecs(60);
        }
        worldbench::writeSaves(instance, 0x9E3779B97F4A7C15ull, shape);
        backup = backups.createWorldBackup(instance, "bench");
        // The world moves on after the backup: every file the restore puts back differs.
        worldbench::writeSaves(instance, 0xD1B54A32D192ED03ull, shape);
        ::sync();
    }
};

// rchar and wchar of this process.
std::map<std::string, double> processIo()
{
    std::map<std::string, double> io;
    std::ifstream in("/proc/self/io");
    std::string key;
    double value = 0;
    while (in >> key >> value)
        io[key] = value;
    return io;
}

worldbench::Measured measure(World& w, const worldbench::Shape& shape)
{
    worldbench::Measured m;
    m.baseline = [&w](benchmark::State& state) {
        worldbench::copyAndHash(state, w.store / w.backup.id.toStdString() / "saves", w.base / "copy");
    };
    m.ours = [&w, shape](benchmark::State& state) {
        double read = 0, written = 0;
        for (auto _ : state) {
            const auto before = processIo();
            orvane::BackupStore backups(w.store, orvane::FileOperations::system(), w.tmp);
            benchmark::DoNotOptimize(backups.restoreLatestBackup(w.instance, std::nullopt, orvane::BackupKind::saves));
            const auto after = processIo();
            read += after.at("rchar:") - before.at("rchar:");
            written += after.at("wchar:") - before.at("wchar:");
            state.PauseTiming();
            ::sync();
            state.ResumeTiming();
        }
        const double restored = double(state.iterations()) * double(shape.totalBytes());
        state.counters["read_per_byte"] = read / restored;
        state.counters["written_per_byte"] = written / restored;
    };
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    return worldbench::runShapes<World>(
        argc, argv, "world restore", [](const worldbench::Shape& shape) { return std::make_unique<World>(shape); },
        measure);
}
