#include "session/CompanionSession.h"

#include "model/DiagnosticRedactor.h"
#include "platform/PathText.h"

#include "session/LaunchRig.h"
#include "support/QtPrinters.h"
#include "support/ServerListBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace orvane;
using namespace orvane::test;

namespace {

QByteArray sample(const char* relative)
{
    return readFile(std::filesystem::path(ORVANE_TEST_FIXTURES) / "technic" / relative);
}

// The text from the first line that begins with `from`: what a watch keeps of a log it began to read
// part way, or whose beginning its excerpt has long dropped.
QString from(const QByteArray& log, const char* line)
{
    const QString text = QString::fromUtf8(log);
    const qsizetype at = text.indexOf(QLatin1Char('\n') + QLatin1String(line));
    EXPECT_GE(at, 0) << line;
    return text.mid(at + 1);
}

// Every string of a JSON value, object keys included.
void collectStrings(const QJsonValue& value, QStringList& out)
{
    if (value.isString()) {
        out << value.toString();
    } else if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            collectStrings(item, out);
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            out << it.key();
            collectStrings(it.value(), out);
        }
    }
}

// What the player, the friend, the account, the machine and the servers must never show as, and the
// secrets and chat around them: in any letter case.
const char* const identities[] = {
    "SteveCraft42", "Kayla", "AlicePlays", "alice", "069a79f4", "44e9-4726", "fca90e38aaf5", "8667ba71",
    "457a9734eed7", "2535405290987654", "9f2c1a7b3d4e5f60", "12345678901234567890", "tekkit-friends",
    "friends-smp", "192.168.1.23", "2001:db8::25", "3c:22:fb", "fbff:fe1a", "EwAoA8l6", "C507_BAY", "CrlsXkP1",
    "KNd7gX", "yR3fq8", "eyJhbGci", "eyJlbmMi", "AbCdEfGhIjKl", "0123456789abcdef0123456789abcdef", "9907",
    "add me", "the quarry", "opening to LAN",
};

// Lines that diagnose the crash, as they must still read in the bundle's log.
const char* const diagnosis[] = {
    "[Server Pinger #2/ERROR] [minecraft/ServerData]: Can't ping localhost:25565: Connection refused\n",
    "java.net.UnknownHostException: sessionserver.mojang.com: Name or service not known\n",
    "\tat com.mojang.authlib.yggdrasil.YggdrasilMinecraftSessionService.fillGameProfile("
    "YggdrasilMinecraftSessionService.java:146) [authlib-1.5.25.jar:?]\n",
    "AnnotatedSocketException: Network is unreachable: [REDACTED_SERVER]\n",
    "java.net.UnknownHostException: [REDACTED_SERVER]: [REDACTED_SERVER]: Name or service not known\n",
    "(No space left on device)\n",
    "[CHAT] [REDACTED_USER] joined the game\n",
    "---- Minecraft Crash Report ----\n",
    "Description: Ticking player\n\njava.lang.NullPointerException: Ticking player\n"
    "\tat appeng.me.cache.PathGridCache.onUpdateTick(PathGridCache.java:112)\n",
    "\tEntity Type: null (net.minecraft.entity.player.EntityPlayerMP)\n\tEntity ID: 312\n"
    "\tEntity Name: [REDACTED_USER]\n",
    "\tLevel name: [REDACTED_USER]'s world\n",
    "\tJava Version: 1.8.0_392, Temurin\n",
    "\tJVM Flags: 3 total; -Xms1024m -Xmx4096m "
    "-Djava.library.path=/media/[REDACTED_USER]/TECHNIC/.technic/modpacks/tekkit-2/bin/natives\n",
    "\tFML: MCP 9.42 Powered by Forge 14.23.5.2860 10 mods loaded, 10 mods active\n",
    "\t| LCHIJA | appliedenergistics2 | 1.12.2-4.4.4 |",
    "\tIs Modded: Definitely; Client brand changed to 'fml,forge'\n",
    "Game process exited with code 255\n",
    "GET https://profile.xboxlive.com/users/xuid([REDACTED_ID])/profile/settings?settings=Gamertag failed: 401",
};

} // namespace

TEST(DiagnosticBundlePrivacy, ABundleOfARealSessionNamesNoOneAndKeepsTheDiagnosis)
{
    // Alice's laptop: her login and the machine's name come from the session's seams; the instance
    // knows two servers of hers and a friend's LAN game.
    const auto provider = std::make_shared<ScriptedProvider>();
    LaunchRig::Options options;
    options.environment = {{QStringLiteral("USER"), QStringLiteral("alice")}};
    options.hostName = QStringLiteral("alice-laptop");
    options.home.instanceContent.options =
        FixtureHome::defaultOptions() + QByteArrayLiteral("lastServer:play.tekkit-friends.net:25565\n");
    LaunchRig rig(provider, options);
    const std::filesystem::path instance = rig.home.instanceRoot();
    const QByteArray clientLog = sample("instance/logs/latest.log.linux-multiplayer.sample");
    const QByteArray crashReport = sample("instance/crash-reports/crash-2026-12-10_20.31.07-server.txt.linux-player.sample");
    const QByteArray launcherLog = sample("logs/techniclauncher-linux-signin.sample");
    writeFile(instance / "logs" / "latest.log", clientLog);
    writeFile(instance / "crash-reports" / "crash-2026-12-10_20.31.07-server.txt", crashReport);
    writeFile(rig.home.dataRoot() / "logs" / "techniclauncher_2026-12-10.log", launcherLog);
    writeFile(instance / "servers.dat",
              serverListBytes({{QStringLiteral("Friends SMP"), QStringLiteral("mc.friends-smp.example"),
                                QString(2048, QLatin1Char('Q')), true},
                               {QStringLiteral("Kayla LAN"), QStringLiteral("[2001:db8::25]:25565"), std::nullopt, false}}));

    // The watch kept the end of the game's text, the crash report and the launcher's last lines, as
    // the launch observer redacts them: none of the lines that name the player stands in it.
    const QString excerpt = from(clientLog, "[20:16:02]") + QString::fromUtf8(crashReport)
        + from(launcherLog, "[B#910] 2026-12-10 20:31:18");
    ASSERT_FALSE(excerpt.contains(QLatin1String("Setting user:")));
    provider->script = [&](ScriptedPlay& play, std::stop_token) {
        play.report(LaunchEventKind::failed);
        LaunchResult result = play.result(LaunchResultState::failed,
                                          QStringLiteral("A crash report appeared in the instance logs. Use Restore, "
                                                         "then send a redacted diagnostic."));
        result.legacyObservation->outcome = LaunchOutcome::crashDetected;
        result.legacyObservation->logExcerpt = DiagnosticRedactor::redact(excerpt);
        return result;
    };
    rig.session->launchSelectedPack({});

    const auto written = rig.session->writeDiagnostics();
    const QByteArray bytes = readFile(written.url);
    QStringList strings;
    collectStrings(QJsonDocument::fromJson(bytes).object(), strings);
    ASSERT_GT(strings.size(), 20);
    for (const char* identity : identities) {
        SCOPED_TRACE(identity);
        EXPECT_FALSE(QString::fromUtf8(bytes).contains(QLatin1String(identity), Qt::CaseInsensitive));
        for (const QString& text : strings)
            EXPECT_FALSE(text.contains(QLatin1String(identity), Qt::CaseInsensitive)) << text.toStdString();
    }

    const QJsonObject bundle = QJsonDocument::fromJson(bytes).object();
    const QString log = bundle.value(QStringLiteral("redactedLog")).toString();
    const QString observed = bundle.value(QStringLiteral("lastLaunch")).toObject().value(QStringLiteral("logExcerpt")).toString();
    for (const char* line : diagnosis) {
        SCOPED_TRACE(line);
        EXPECT_TRUE(log.contains(QString::fromUtf8(line)));
        EXPECT_TRUE(observed.contains(QString::fromUtf8(line)));
    }
    EXPECT_EQ(bundle.value(QStringLiteral("inspection")).toObject().value(QStringLiteral("options")).toObject().value(
                  QStringLiteral("lastServer")),
              QStringLiteral("[REDACTED_SERVER]"));
    EXPECT_TRUE(written.summary.preview.contains(QLatin1String("Pack: 1.2.6 Forge: 1.12.2-forge-14.23.5.2860")));
    // The bundle as written is settled: redacting it again changes nothing.
    EXPECT_EQ(DiagnosticRedactor::redact(QString::fromUtf8(bytes), pathText(rig.home.home())), QString::fromUtf8(bytes));
}
