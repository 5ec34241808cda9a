#include "model/DiagnosticRedactor.h"
#include "model/IdentityLearner.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

const QString home = QStringLiteral("/home/alice");

struct Case {
    const char* input;
    const char* expected; // nullptr: unchanged
};

void expectRedacted(const Case& c, const RedactionIdentities& known = {})
{
    SCOPED_TRACE(c.input);
    const QString input = QString::fromUtf8(c.input);
    const QString once = DiagnosticRedactor::redact(input, home, known);
    EXPECT_EQ(once, c.expected ? QString::fromUtf8(c.expected) : input);
    EXPECT_EQ(DiagnosticRedactor::redact(once, home, known), once);
}

// The identities of one player on one machine, as the session gathers them from the logs and files.
RedactionIdentities aliceOnHerLaptop()
{
    RedactionIdentities known;
    known.addName(QStringLiteral("SteveCraft42"));
    known.addName(QStringLiteral("AlicePlays 42"));
    known.addName(QStringLiteral("alice"));
    known.addId(QStringLiteral("069a79f4-44e9-4726-a5be-fca90e38aaf5"));
    known.addId(QStringLiteral("2535405290987654"));
    known.addHost(QStringLiteral("alice-laptop"));
    known.addHost(QStringLiteral("play.tekkit-friends.net:25565"));
    known.addHost(QStringLiteral("[2001:db8::25]:25565"));
    return known;
}

} // namespace

TEST(DiagnosticRedactor, EveryAccountShapeRuleCompiles)
{
    EXPECT_EQ(DiagnosticRedactor::accountShapeRules().size(), 37u);
}

// The shapes that name other people, the player's account, machine and servers, and more secrets, in
// the forms a Linux client, its integrated server and the Technic launcher write them; and the
// diagnosis lines beside them that must stay.
TEST(DiagnosticRedactor, AccountShapesLoseWhomTheyNameAndDiagnosisStays)
{
    const Case cases[] = {
        // Chat: speakers and what they said, however it was said.
        {"[12:05:12] [Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] <Kayla_B> hi Steve, the password is hunter2",
         "[12:05:12] [Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] <[REDACTED_USER]> [REDACTED_CHAT]"},
        {"[12:05:12] [Server thread/INFO] [minecraft/MinecraftServer]: <SteveCraft42> meet at \"the base\", ok?",
         "[12:05:12] [Server thread/INFO] [minecraft/MinecraftServer]: <[REDACTED_USER]> [REDACTED_CHAT]"},
        {"[CHAT] * Kayla_B waves at you\n[CHAT] Kayla_B whispers to you: 4242 is the door code\n"
         "[CHAT] You whisper to Kayla_B: thanks",
         "[CHAT] * [REDACTED_USER] [REDACTED_CHAT]\n[CHAT] [REDACTED_USER] whispers to you: [REDACTED_CHAT]\n"
         "[CHAT] You whisper to [REDACTED_USER]: [REDACTED_CHAT]"},
        {"  <log4j:Message><![CDATA[[CHAT] <Kayla_B> see you]]></log4j:Message>",
         "  <log4j:Message><![CDATA[[CHAT] <[REDACTED_USER]> [REDACTED_CHAT]]]></log4j:Message>"},
        // Names in the lines about players.
        {"[CHAT] Kayla_B joined the game\n[CHAT] Kayla_B left the game\n[CHAT] SteveCraft42 has made the advancement [Stone Age]",
         "[CHAT] [REDACTED_USER] joined the game\n[CHAT] [REDACTED_USER] left the game\n"
         "[CHAT] [REDACTED_USER] has made the advancement [Stone Age]"},
        {"[Server thread/INFO] [minecraft/PlayerList]: Kayla_B[/203.0.113.9:53422] logged in with entity id 312 at "
         "(120.5, 64.0, -300.5)",
         "[Server thread/INFO] [minecraft/PlayerList]: [REDACTED_USER][/[REDACTED_SERVER]] logged in with entity id 312 "
         "at (120.5, 64.0, -300.5)"},
        {"[Server thread/INFO] [minecraft/PlayerList]: SteveCraft42[local:E:1a2b3c4d] logged in with entity id 7 at "
         "(0.5, 70.0, 0.5)\n[Server thread/INFO] [minecraft/PlayerList]: Bob_2[/127.0.0.1:53422] logged in with entity "
         "id 8 at (1.5, 70.0, 1.5)",
         "[Server thread/INFO] [minecraft/PlayerList]: [REDACTED_USER][local:E:1a2b3c4d] logged in with entity id 7 at "
         "(0.5, 70.0, 0.5)\n[Server thread/INFO] [minecraft/PlayerList]: [REDACTED_USER][/127.0.0.1:53422] logged in with "
         "entity id 8 at (1.5, 70.0, 1.5)"},
        {"[Server thread/INFO] [minecraft/NetHandlerPlayServer]: Kayla_B lost connection: Disconnected",
         "[Server thread/INFO] [minecraft/NetHandlerPlayServer]: [REDACTED_USER] lost connection: Disconnected"},
        {"[User Authenticator #1/INFO] [minecraft/NetHandlerLoginServer]: UUID of player Kayla_B is "
         "8667ba71-b85a-4004-af54-457a9734eed7",
         "[User Authenticator #1/INFO] [minecraft/NetHandlerLoginServer]: UUID of player [REDACTED_USER] is [REDACTED_ID]"},
        // The player in profiles, crash reports and the launcher's sign-in.
        {"com.mojang.authlib.GameProfile@6f2b958e[id=069a79f4-44e9-4726-a5be-fca90e38aaf5,name=SteveCraft42,"
         "properties={},legacy=false]",
         "com.mojang.authlib.GameProfile@6f2b958e[id=[REDACTED_ID],name=[REDACTED_USER],properties={},legacy=false]"},
        {"\tAll players: 1 total; [EntityPlayerSP['SteveCraft42'/312, l='MpServer', x=120.50, y=64.00, z=-300.50]]",
         "\tAll players: 1 total; [EntityPlayerSP['[REDACTED_USER]'/312, l='MpServer', x=120.50, y=64.00, z=-300.50]]"},
        {"\tEntity Type: null (net.minecraft.entity.player.EntityPlayerMP)\n\tEntity ID: 312\n\tEntity Name: Kayla_B\n"
         "\tEntity's Exact location: 120.50, 64.00, -300.50",
         "\tEntity Type: null (net.minecraft.entity.player.EntityPlayerMP)\n\tEntity ID: 312\n\tEntity Name: [REDACTED_USER]\n"
         "\tEntity's Exact location: 120.50, 64.00, -300.50"},
        {"[B#910] 2026-12-10 20:14:03 Logged in as SteveCraft42", "[B#910] 2026-12-10 20:14:03 Logged in as [REDACTED_USER]"},
        {R"({"DisplayClaims":{"xui":[{"gtg":"AlicePlays 42","xid":"2535405290987654","uhs":"12345678901234567890"}]}})",
         R"({"DisplayClaims":{"xui":[{"gtg":"[REDACTED_USER]","xid":"[REDACTED_ID]","uhs":"[REDACTED_ID]"}]}})"},
        {R"({"id":"069a79f444e94726a5befca90e38aaf5","name":"SteveCraft42","skins":[{"state":"ACTIVE"}]})",
         R"({"id":"[REDACTED_ID]","name":"[REDACTED_USER]","skins":[{"state":"ACTIVE"}]})"},
        {R"({"accessToken":"8f14e45f","clientToken":"c0ffee00-1234-5678-9abc-def012345678","selectedProfile":)"
         R"({"name":"SteveCraft42","id":"069a79f444e94726a5befca90e38aaf5"}})",
         R"({"accessToken":"[REDACTED_TOKEN]","clientToken":"[REDACTED_TOKEN]","selectedProfile":)"
         R"({"name":"[REDACTED_USER]","id":"[REDACTED_ID]"}})"},
        {"[Client thread/INFO] [minecraft/Minecraft]: Session ID is token:eyJhbGciOiJIUzI1NiJ9.eyJzdWIiOiIxMjM0In0."
         "c2lnbmF0dXJl:069a79f444e94726a5befca90e38aaf5",
         "[Client thread/INFO] [minecraft/Minecraft]: Session ID is [REDACTED_TOKEN]"},
        {"java.io.FileNotFoundException: /home/alice/.technic/modpacks/tekkit-2/saves/New World/stats/"
         "069a79f4-44e9-4726-a5be-fca90e38aaf5.json (Permission denied)",
         "java.io.FileNotFoundException: $HOME/.technic/modpacks/tekkit-2/saves/New World/stats/[REDACTED_ID].json "
         "(Permission denied)"},
        // Microsoft sign-in: the account id in the token reply and in the redirect.
        {R"({"token_type":"bearer","expires_in":86400,"access_token":"EwAoA8l6BAAU","user_id":"9f2c1a7b3d4e5f60"})",
         R"({"token_type":"bearer","expires_in":86400,"access_token":"[REDACTED_TOKEN]","user_id":"[REDACTED_ID]"})"},
        {"https://login.live.com/oauth20_desktop.srf?lc=1033#access_token=EwAoA8l6&token_type=bearer&user_id=9f2c1a7b3d4e5f60",
         "https://login.live.com/oauth20_desktop.srf?lc=1033#access_token=[REDACTED_TOKEN]&token_type=bearer"
         "&user_id=[REDACTED_ID]"},
        // Secrets under names that say so, whole Xbox tokens and webhook tokens.
        {"POST https://pastebin.com/api/api_post.php api_dev_key=0123456789abcdef&api_option=paste",
         "POST https://pastebin.com/api/api_post.php api_dev_key=[REDACTED_TOKEN]&api_option=paste"},
        {"GET https://maps.example.net/tile?key=AIzaSyA1b2C3d4&zoom=3 -Djavax.net.ssl.trustStorePassword=changeit",
         "GET https://maps.example.net/tile?key=[REDACTED_QUERY]&zoom=3 -Djavax.net.ssl.trustStorePassword=[REDACTED_TOKEN]"},
        {R"({"privateKey":"MIIEvQIBADANBgkq","RpsTicket":"d=EwAo","translationKey":"tile.stone.name"})",
         R"({"privateKey":"[REDACTED_TOKEN]","RpsTicket":"d=[REDACTED_TOKEN]","translationKey":"tile.stone.name"})"},
        {"XSTS eyJlbmMiOiJBMTI4Q0JDK0hTMjU2In0.KNd7gXxSk3bV0m8qHc1aZ2w.Ww2vL0t1xQyq8FZ3mN4pRg."
         "b4dG9kLmx2cGtzZXRfYmxvYi1jaXBo.yR3fq8VbN0x1TzQmL4pK7w for rp://api.minecraftservices.com/",
         "XSTS [REDACTED_TOKEN] for rp://api.minecraftservices.com/"},
        {"XSTS eyJlbmMiOiJBMTI4R0NNIiwiYWxnIjoiZGlyIn0..Ww2vL0t1xQyq8FZ3mN4pRg.b4dG9kLmx2cGtzZXRf.yR3fq8VbN0x1TzQmL4pK7w",
         "XSTS [REDACTED_TOKEN]"},
        {"POST https://discord.com/api/webhooks/1180000000000000000/AbCdEfGhIjKl_MnOp-QrStUvWxYz0123 204",
         "POST https://discord.com/api/webhooks/1180000000000000000/[REDACTED_TOKEN] 204"},
        // The account in paths: removable media, the JVM's performance data, a home under Wine.
        {"[main/INFO] [FML]: Searching /media/alice/TECHNIC/.technic/modpacks/tekkit-2/mods for mods",
         "[main/INFO] [FML]: Searching /media/[REDACTED_USER]/TECHNIC/.technic/modpacks/tekkit-2/mods for mods"},
        {"Loading /run/media/bob/USB/.technic/assets; could not create /tmp/hsperfdata_bob/4242",
         "Loading /run/media/[REDACTED_USER]/USB/.technic/assets; could not create /tmp/hsperfdata_[REDACTED_USER]/4242"},
        {"Z:\\home\\bob\\.technic\\modpacks\\tekkit-2\\mods and C:\\users\\bob\\AppData\\Roaming\\.technic",
         "Z:$HOME\\.technic\\modpacks\\tekkit-2\\mods and C:$HOME\\AppData\\Roaming\\.technic"},
        // The network card, and the machine's name.
        {"wlp2s0 ether 3c:22:fb:1a:2b:3c, usb0 3C-22-FB-1A-2B-3D; inet6 fe80::3e22:fbff:fe1a:2b3c%wlp2s0 prefixlen 64",
         "wlp2s0 ether [REDACTED_ID], usb0 [REDACTED_ID]; inet6 [REDACTED_SERVER] prefixlen 64"},
        {"HOSTNAME=bob-desktop\njava.net.UnknownHostException: bob-desktop: bob-desktop: Name or service not known",
         "HOSTNAME=[REDACTED_SERVER]\njava.net.UnknownHostException: [REDACTED_SERVER]: [REDACTED_SERVER]: "
         "Name or service not known"},
        // The player's servers.
        {"[Server Pinger #1/ERROR] [minecraft/ServerData]: Can't ping play.tekkit-friends.net:25565: Timed out",
         "[Server Pinger #1/ERROR] [minecraft/ServerData]: Can't ping [REDACTED_SERVER]: Timed out"},
        {"--username SteveCraft42 --server mc.friends.example --port 25565 --version 1.12.2",
         "--username [REDACTED_USER] --server [REDACTED_SERVER] --port 25565 --version 1.12.2"},
        {"[Server Connector #1/INFO]: Connecting to play.tekkit-friends.net:25565",
         "[Server Connector #1/INFO]: Connecting to [REDACTED_SERVER]"},
        {"AnnotatedSocketException: Network is unreachable: play.tekkit-friends.net/2001:db8::25:25565",
         "AnnotatedSocketException: Network is unreachable: [REDACTED_SERVER]"},
        {"Looking up _minecraft._tcp.play.tekkit-friends.net; lastServer:play.tekkit-friends.net:25565",
         "Looking up _minecraft._tcp.[REDACTED_SERVER]; lastServer:[REDACTED_SERVER]"},
        // Diagnosis stays: public services with the resolver's words, the own machine with its port.
        {"java.net.UnknownHostException: sessionserver.mojang.com: Name or service not known", nullptr},
        {"java.net.UnknownHostException: api.technicpack.net: Temporary failure in name resolution", nullptr},
        {"Can't ping localhost:25565: Connection refused; Connecting to 127.0.0.1:25565", nullptr},
        {"[CHAT] Steve: meet at x=120, y=64; z=-300 on ~Tuesday", nullptr},
        {"[Client thread/WARN] [minecraft/Minecraft]: Skipping bad option: lastServer:", nullptr},
        {"[main/ERROR] [FML]: * Loading the coremod list failed; see Suspected Mods: * vintagefix", nullptr},
        {"[Server thread/INFO] [minecraft/MinecraftServer]: Starting integrated minecraft server version 1.12.2\n"
         "[Server thread/INFO] [minecraft/MinecraftServer]: Saving chunks for level 'New World'/overworld\n"
         "[Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] Game paused, press ESC to continue\n"
         "resolved fe80::1 on eth0; tokens=5 keys=12; the key_key.jump setting is key.keyboard.space",
         nullptr},
    };
    for (const Case& c : cases)
        expectRedacted(c);
}

// A name or id learned from one line is hidden in every other line of the text, in every spelling.
TEST(DiagnosticRedactor, WhatOneLineNamesIsHiddenEverywhere)
{
    const Case cases[] = {
        {"[10:03:50] [Client thread/INFO] [minecraft/Minecraft]: Setting user: SteveCraft42\n"
         "[10:09:01] [Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] STEVECRAFT42 was slain by Zombie\n"
         "[10:09:02] [Server thread/INFO] [STDOUT]: stevecraft42's world saved to saves/SteveCraft42's World",
         "[10:03:50] [Client thread/INFO] [minecraft/Minecraft]: Setting user: [REDACTED_USER]\n"
         "[10:09:01] [Client thread/INFO] [minecraft/GuiNewChat]: [CHAT] [REDACTED_USER] was slain by Zombie\n"
         "[10:09:02] [Server thread/INFO] [STDOUT]: [REDACTED_USER]'s world saved to saves/[REDACTED_USER]'s World"},
        {"--username SteveCraft42 --uuid 069a79f444e94726a5befca90e38aaf5\n"
         "Loaded playerdata 069A79F4-44E9-4726-A5BE-FCA90E38AAF5 for https://example.net/u?n=SteveCraft42&x=1",
         "--username [REDACTED_USER] --uuid [REDACTED_ID]\n"
         "Loaded playerdata [REDACTED_ID] for https://example.net/u?n=[REDACTED_USER]&x=1"},
        {R"({"gtg":"AlicePlays 42"} then GET /profile/AlicePlays%2042 and /search?q=alicePlays+42 and "AlicePlays\u002042")",
         R"({"gtg":"[REDACTED_USER]"} then GET /profile/[REDACTED_USER] and /search?q=[REDACTED_USER] and "[REDACTED_USER]")"},
        // A crash report names its player in its own shape, without any "Setting user:" line.
        {"---- Minecraft Crash Report ----\n\tAll players: 1 total; [EntityPlayerSP['SteveCraft42'/312, l='MpServer']]\n"
         "\tPlayer Count: 1 / 8; [EntityPlayerMP['SteveCraft42'/312, l='New World']]\n"
         "\tLevel name: SteveCraft42 base\n\tJava Version: 1.8.0_392, Temurin",
         "---- Minecraft Crash Report ----\n\tAll players: 1 total; [EntityPlayerSP['[REDACTED_USER]'/312, l='MpServer']]\n"
         "\tPlayer Count: 1 / 8; [EntityPlayerMP['[REDACTED_USER]'/312, l='New World']]\n"
         "\tLevel name: [REDACTED_USER] base\n\tJava Version: 1.8.0_392, Temurin"},
        // A name the log uses for itself is hidden only where a shape names it.
        {"Setting user: Player\n[CHAT] Player joined the game\nPlayer Count: 1 / 8; Player moved wrongly!",
         "Setting user: [REDACTED_USER]\n[CHAT] [REDACTED_USER] joined the game\nPlayer Count: 1 / 8; Player moved wrongly!"},
        // A host a failure names is hidden where it stands, not learned: a mod's update site names no
        // one's server.
        {"java.net.UnknownHostException: updates.somemod.example\nDownloading https://updates.somemod.example/v.json",
         "java.net.UnknownHostException: [REDACTED_SERVER]\nDownloading https://updates.somemod.example/v.json"},
        // In JSON text, as the bundle writer redacts the whole file: chat ends with its line or its string.
        {"{\"log\": \"x\\n[CHAT] <Kayla_B> bye \\\"all\\\"\\n[CHAT] <Kayla_B> see you\",\n  \"next\": 1}",
         "{\"log\": \"x\\n[CHAT] <[REDACTED_USER]> [REDACTED_CHAT]\\n[CHAT] <[REDACTED_USER]> [REDACTED_CHAT]\",\n  "
         "\"next\": 1}"},
        // Only whole names go: a longer name holding the short one stays whole.
        {"[CHAT] Kay joined the game\n[CHAT] <Kayla_B> hi\nKayak mod 1.2 loaded by kay",
         "[CHAT] [REDACTED_USER] joined the game\n[CHAT] <[REDACTED_USER]> [REDACTED_CHAT]\n"
         "Kayak mod 1.2 loaded by [REDACTED_USER]"},
    };
    for (const Case& c : cases)
        expectRedacted(c);
}

// What the session knows from the logs' beginnings and the instance's files reaches a crash excerpt that
// names none of it, and JSON text, where the bundle writer redacts the whole file again.
TEST(DiagnosticRedactor, KnownIdentitiesAreHiddenInEveryForm)
{
    const Case cases[] = {
        {"---- Minecraft Crash Report ----\nDescription: Ticking player\n\tEntity Name: SteveCraft42\n"
         "\tLevel name: AlicePlays 42's base\n\tUUID: 069a79f4-44e9-4726-a5be-fca90e38aaf5",
         "---- Minecraft Crash Report ----\nDescription: Ticking player\n\tEntity Name: [REDACTED_USER]\n"
         "\tLevel name: [REDACTED_USER]'s base\n\tUUID: [REDACTED_ID]"},
        {R"({"redactedLog": "x\nSteveCraft42\tAlicePlays 42\\alice-laptop\/stevecraft42\"069a79f444e94726a5befca90e38aaf5"})",
         R"({"redactedLog": "x\n[REDACTED_USER]\t[REDACTED_USER]\\[REDACTED_SERVER]\/[REDACTED_USER]\"[REDACTED_ID]"})"},
        // The login name alone, and inside the machine's name: the longer value is found first.
        {"alice-laptop.lan: ALICE logged on; Alice's files; malice and alice_b stay",
         "[REDACTED_SERVER].lan: [REDACTED_USER] logged on; [REDACTED_USER]'s files; malice and alice_b stay"},
        // Servers of the server list: with their port kept, in URLs and as a subdomain's end; a longer
        // host and an address with more digits stay.
        {"ping PLAY.tekkit-friends.net:25565 and http://play.tekkit-friends.net/map, not play.tekkit-friends.network "
         "or xplay.tekkit-friends.net; [2001:db8::25]:25565 and 2001:db8::255",
         "ping [REDACTED_SERVER]:25565 and http://[REDACTED_SERVER]/map, not play.tekkit-friends.network "
         "or xplay.tekkit-friends.net; [[REDACTED_SERVER]]:25565 and 2001:db8::255"},
        {"xuid 2535405290987654 and 12535405290987654", "xuid [REDACTED_ID] and 12535405290987654"},
    };
    for (const Case& c : cases)
        expectRedacted(c, aliceOnHerLaptop());
}

// A server's log names thousands of players: more than one expression holds, and every one is hidden.
TEST(DiagnosticRedactor, EveryOneOfThousandsOfKnownNamesIsHidden)
{
    RedactionIdentities known;
    QString text;
    for (int i = 0; i < 3000; ++i) {
        const QString name = QStringLiteral("Gamer%1").arg(i, 4, 10, QLatin1Char('0'));
        known.addName(name);
        if (i % 7 == 0)
            text += QStringLiteral("[Server thread/INFO]: ") + name + QStringLiteral(" was slain by Zombie\n");
    }
    const QString redacted = DiagnosticRedactor::redact(text, home, known);
    EXPECT_FALSE(redacted.contains(QLatin1String("Gamer")));
    EXPECT_EQ(redacted.count(QLatin1String("[REDACTED_USER] was slain by Zombie\n")), 429);
}

TEST(RedactionIdentities, KeepsOnlyValuesThatCanBeToldApart)
{
    RedactionIdentities identities;
    for (const char* name : {"Player", "steve", "HOME", "ab", "[REDACTED_USER]", "", "Kayla_B", "  SteveCraft42 "})
        identities.addName(QString::fromUtf8(name));
    identities.addName(QStringLiteral("8667BA71-B85A-4004-AF54-457A9734EED7")); // a UUID is an id
    for (const char* id : {"00000000-0000-0000-0000-000000000000", "1234", "null", "2535405290987654"})
        identities.addId(QString::fromUtf8(id));
    for (const char* host : {"localhost", "127.0.0.1:25565", "[::1]:25565", "sessionserver.mojang.com",
                             "api.technicpack.net", "Play.Tekkit-Friends.NET.:25565", "[2001:DB8::25]:25565",
                             "203.0.113.7", "has space.example", "a/b"})
        identities.addHost(QString::fromUtf8(host));

    EXPECT_EQ(identities.names, (std::set<QString>{"kayla_b", "stevecraft42"}));
    EXPECT_EQ(identities.ids, (std::set<QString>{"8667ba71b85a4004af54457a9734eed7", "2535405290987654"}));
    EXPECT_EQ(identities.hosts, (std::set<QString>{"play.tekkit-friends.net", "2001:db8::25", "203.0.113.7"}));
}

TEST(RedactionIdentities, LearnsFromTheShapesThatNameThem)
{
    const RedactionIdentities learned = learnIdentities(QStringLiteral(
        "Setting user: SteveCraft42\nUUID of player Kayla_B is 8667ba71-b85a-4004-af54-457a9734eed7\n"
        "{\"gtg\":\"AlicePlays 42\",\"xid\":\"2535405290987654\"}\nUSER=alice\nHOSTNAME=alice-laptop\n"
        "--server mc.friends.example --port 25565\nConnecting to play.tekkit-friends.net, 25565\n"
        "Connecting to api.technicpack.net:443\nCan't ping localhost:25565: Connection refused"));
    EXPECT_EQ(learned.names, (std::set<QString>{"alice", "aliceplays 42", "kayla_b", "stevecraft42"}));
    EXPECT_EQ(learned.ids, (std::set<QString>{"2535405290987654", "8667ba71b85a4004af54457a9734eed7"}));
    EXPECT_EQ(learned.hosts, (std::set<QString>{"alice-laptop", "mc.friends.example", "play.tekkit-friends.net"}));
}
