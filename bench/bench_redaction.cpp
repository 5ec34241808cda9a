// The diagnostic redactor over a client log of 2 MB and of 50 MB, as a support bundle redacts it:
// the cost must grow with the log's length, not with the number of names it learns.

#include "model/DiagnosticRedactor.h"

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>

namespace {

const QString home = QStringLiteral("/home/alice");

// One stretch of a Forge 1.12.2 client log on Linux: start-up lines, a session on a server with
// chat, joins and a connection failure, and a stack trace.
QString logBlock(int index)
{
    const QString n = QString::number(index);
    return QStringList{
        QStringLiteral("[10:03:44] [main/INFO] [FML]: Forge Mod Loader version 14.23.5.2860 for Minecraft 1.12.2 loading"),
        QStringLiteral("[10:03:44] [main/INFO] [FML]: Java is OpenJDK 64-Bit Server VM, version 1.8.0_392, running on "
                       "Linux:amd64:6.1.0-17-amd64, installed at /home/alice/.technic/runtimes/jre8"),
        QStringLiteral("[10:03:45] [main/INFO] [FML]: Searching /home/alice/.technic/modpacks/tekkit-2/mods for mods"),
        QStringLiteral("[10:03:50] [Client thread/INFO] [minecraft/Minecraft]: Setting user: SteveCraft42"),
        QStringLiteral("[10:04:31] [Client thread/INFO] [FML]: Forge Mod Loader has successfully loaded 181 mods"),
        QStringLiteral("[10:05:02] [Server Connector #1/INFO] [minecraft/GuiConnecting]: Connecting to "
                       "play.tekkit-friends.net, 25565"),
        QStringLiteral("[10:05:10] [Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] Kayla_B joined the game"),
        QStringLiteral("[10:05:12] [Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] <Kayla_B> hi Steve, meet me "
                       "at the reactor ") + n,
        QStringLiteral("[10:05:13] [Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] <SteveCraft42> on my way"),
        QStringLiteral("[10:05:20] [Client thread/WARN] [minecraft/ServerData]: Can't ping mc.example.org:25565: "
                       "Timed out"),
        QStringLiteral("[10:05:21] [Client thread/ERROR] [FML]: Exception caught during firing event"),
        QStringLiteral("java.lang.NullPointerException: Unexpected error"),
        QStringLiteral("\tat net.minecraft.client.renderer.EntityRenderer.func_78473_a(EntityRenderer.java:412)"),
        QStringLiteral("\tat net.minecraft.client.Minecraft.func_71411_J(Minecraft.java:1119)"),
        QStringLiteral("[10:05:30] [Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] Kayla_B left the game"),
        QStringLiteral("[10:05:31] [Client thread/INFO] [STDOUT]: Saving chunks for level 'ServerLevel'/overworld"),
    }
        .join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString logOf(qsizetype bytes)
{
    QString text;
    text.reserve(bytes + 4096);
    for (int i = 0; text.size() < bytes; ++i)
        text += logBlock(i);
    return text;
}

void redactLog(benchmark::State& state)
{
    const QString log = logOf(state.range(0) * 1024 * 1024);
    for (auto _ : state) {
        QString redacted = orvane::DiagnosticRedactor::redact(log, home);
        benchmark::DoNotOptimize(redacted);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * log.size());
}

// As a support bundle redacts it: with the names, ids, machine and servers the session gathered.
void redactLogWithKnownIdentities(benchmark::State& state)
{
    const QString log = logOf(state.range(0) * 1024 * 1024);
    orvane::RedactionIdentities known;
    known.addName(QStringLiteral("alice"));
    known.addName(QStringLiteral("AlicePlays 42"));
    known.addId(QStringLiteral("069a79f4-44e9-4726-a5be-fca90e38aaf5"));
    known.addHost(QStringLiteral("alice-laptop"));
    known.addHost(QStringLiteral("mc.example.org:25565"));
    for (int i = 0; i < 40; ++i)
        known.addHost(QStringLiteral("server%1.example.net").arg(i));
    for (auto _ : state) {
        QString redacted = orvane::DiagnosticRedactor::redact(log, home, known);
        benchmark::DoNotOptimize(redacted);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * log.size());
}

} // namespace

BENCHMARK(redactLog)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(redactLog)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(redactLogWithKnownIdentities)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(redactLogWithKnownIdentities)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
