#include "session/DiagnosticIdentities.h"

#include "platform/FileOperations.h"

#include "support/QtPrinters.h"
#include "support/ServerListBytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QByteArray lines(const char* line, qsizetype bytes)
{
    QByteArray out;
    while (out.size() < bytes)
        out += line;
    return out;
}

} // namespace

TEST(DiagnosticIdentities, GathersTheUserTheMachineTheServersAndThePlayersOfTheLogs)
{
    TempDir dir;
    const std::filesystem::path instance = dir / "instance";
    const std::filesystem::path data = dir / "data";
    writeFile(instance / "options.txt", "lang:en_us\nlastServer:Play.Tekkit-Friends.net:25565\n");
    writeFile(instance / "servers.dat", serverListBytes({{QStringLiteral("SMP"), QStringLiteral("mc.friends-smp.example"),
                                                          std::nullopt, false},
                                                         {QStringLiteral("Me"), QStringLiteral("localhost"), std::nullopt,
                                                          false}}));
    // A long game log: its beginning and its end are read, its middle is not.
    const QByteArray filler = lines("[20:16:12] [Client thread/INFO] [FML]: Injecting itemstacks\n",
                                    qsizetype(identityLogEdgeBytes) + 4096);
    writeFile(instance / "logs" / "latest.log", "[20:14:38] [Client thread/INFO] [minecraft/Minecraft]: Setting user: "
                                                "SteveCraft42\n" + filler
                                                    + "[20:30:00] [Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] "
                                                      "MiddleMia joined the game\n"
                                                    + filler
                                                    + "[20:31:00] [Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] "
                                                      "Kayla_B left the game\n");
    writeFile(instance / "logs" / "fml-client-latest.log", "UUID of player Kayla_B is 8667ba71-b85a-4004-af54-457a9734eed7\n");
    writeFile(data / "logs" / "techniclauncher_2026-12-10.log", "{\"gtg\":\"AlicePlays 42\",\"xid\":\"2535405290987654\"}\n");

    const RedactionIdentities gathered = gatherDiagnosticIdentities(
        DiagnosticIdentitySources{dir / "home" / "alice",
                                  {{QStringLiteral("USER"), QStringLiteral("alice")},
                                   {QStringLiteral("LOGNAME"), QStringLiteral("root")},
                                   {QStringLiteral("HOSTNAME"), QStringLiteral("alice-laptop.lan")}},
                                  QStringLiteral("alice-desktop"), instance, data},
        *FileOperations::system());
    EXPECT_EQ(gathered.names, (std::set<QString>{"alice", "aliceplays 42", "kayla_b", "stevecraft42"}));
    EXPECT_EQ(gathered.ids, (std::set<QString>{"2535405290987654", "8667ba71b85a4004af54457a9734eed7"}));
    EXPECT_EQ(gathered.hosts, (std::set<QString>{"alice-desktop", "alice-laptop", "alice-laptop.lan",
                                                 "mc.friends-smp.example", "play.tekkit-friends.net"}));

    // Without an instance or a data folder, only the user and the machine; nothing that cannot be read
    // names anyone.
    const RedactionIdentities bare = gatherDiagnosticIdentities(
        DiagnosticIdentitySources{dir / "home", {}, QString(), dir / "missing", dir / "missing"},
        *FileOperations::system());
    EXPECT_EQ(bare, RedactionIdentities{});
}
