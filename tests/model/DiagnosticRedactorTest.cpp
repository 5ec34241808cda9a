#include "model/DiagnosticRedactor.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QtGlobal>

using namespace orvane;

namespace {

const QString home = QStringLiteral("/home/tester");

QString redact(const QString& text)
{
    return DiagnosticRedactor::redact(text, home);
}

// Sets HOME for one test and puts the old value back.
class ScopedHome final {
public:
    explicit ScopedHome(const QByteArray& value) : m_had(qEnvironmentVariableIsSet("HOME")), m_old(qgetenv("HOME"))
    {
        qputenv("HOME", value);
    }
    ~ScopedHome()
    {
        if (m_had)
            qputenv("HOME", m_old);
        else
            qunsetenv("HOME");
    }

private:
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(DiagnosticRedactor, EveryRuleCompiles)
{
    // A pattern that does not compile is dropped silently, so a typo would quietly stop a redaction.
    EXPECT_EQ(DiagnosticRedactor::userPathRules().size(), 4u);
    EXPECT_EQ(DiagnosticRedactor::rules().size(), 11u);
    for (const auto& rule : DiagnosticRedactor::rules())
        EXPECT_TRUE(rule.expression.patternOptions() & QRegularExpression::CaseInsensitiveOption);
    for (const auto& rule : DiagnosticRedactor::userPathRules())
        EXPECT_FALSE(rule.expression.patternOptions() & QRegularExpression::CaseInsensitiveOption);
}

// Each rule with inputs that must change and inputs that must stay as they are.
TEST(DiagnosticRedactor, MainRules)
{
    const std::pair<const char*, const char*> cases[] = {
        // Query parameters keep their names, in any letter case.
        {"https://x.test/cb?access_token=abc123&state=ok", "https://x.test/cb?access_token=[REDACTED_QUERY]&state=ok"},
        {"GET /cb?state=1&CODE=Zx9#frag", "GET /cb?state=1&CODE=[REDACTED_QUERY]#frag"},
        // A parameter name ending in "code" is then caught by the code rule too.
        {"?authorization_code=abc", "?authorization_code=[REDACTED_CODE]"},
        {"https://x.test/cb?state=abc&page=2", "https://x.test/cb?state=abc&page=2"},
        // Named tokens and passwords: in JSON only the value between the quotes goes.
        {"password: hunter2 next", "password: [REDACTED_TOKEN] next"},
        {R"({"password":"hunter2","user":"x"})", R"({"password":"[REDACTED_TOKEN]","user":"x"})"},
        {R"({\"accessToken\":\"abc\"})", R"({\"accessToken\":\"[REDACTED_TOKEN]\"})"},
        {"#access_token=abc", "#access_token=[REDACTED_TOKEN]"},
        {"SESSIONID = Bearer abcdefghij", "SESSIONID = Bearer [REDACTED_TOKEN]"},
        // Authorization headers keep their scheme word and lose the credential after it, whatever the scheme.
        {"Authorization: Bearer abc.def", "Authorization: Bearer [REDACTED_TOKEN]"},
        {"Authorization: Basic dXNlcjpwYXNz", "Authorization: Basic [REDACTED_TOKEN]"},
        {"authorization=Digest username", "authorization=Digest [REDACTED_TOKEN]"},
        {"Authorization: s3cr3tvalue next", "Authorization: [REDACTED_TOKEN] next"},
        {"password reset sent to the player", "password reset sent to the player"},
        // Authorization headers keep the scheme word.
        {"Authorization: Bearer abc.def-ghi", "Authorization: Bearer [REDACTED_TOKEN]"},
        {"authorization=xyz", "authorization=[REDACTED_TOKEN]"},
        {"authorization required", "authorization required"},
        // Bearer tokens of at least eight characters, the word included.
        {"sent Bearer abcd1234 to", "sent [REDACTED_TOKEN] to"},
        {"sent BEARER a.b~c+d/e= to", "sent [REDACTED_TOKEN] to"},
        {"sent Bearer\u00A0abcd1234", "sent [REDACTED_TOKEN]"}, // Unicode white space is white space
        {"sent Bearer abc1234 to", "sent Bearer abc1234 to"},
        // JSON web tokens.
        {"jwt eyJhbGciOi.eyJzdWIiOi.c2lnbmF0dXJl end", "jwt [REDACTED_TOKEN] end"},
        {"jwt eyJabc.defghi.jklmno end", "jwt eyJabc.defghi.jklmno end"},
        // Any key ending in "code" is treated as an authorisation code.
        {"exit code: 1", "exit code: [REDACTED_CODE]"},
        {R"("oauth_code": "q1w2")", R"("oauth_code": "[REDACTED_CODE]")"},
        {"exit code 1", "exit code 1"},
        // Xbox Live values.
        {"hdr XBL3.0=uhs;tok", "hdr XBL3.0=[REDACTED_TOKEN];tok"},
        {"hdr XBL3.0 x=uhs", "hdr XBL3.0 x=uhs"},
        // Server and host settings. "server" and "ip" are labels only as whole words (a snake-case part
        // or a camel-case hump counts as one); "host" has no word boundary, so "ghost" loses its value.
        {"server-address=play.example.net", "server-address=[REDACTED_SERVER]"},
        {R"("serverHost":"mc.example.org")", R"("serverHost":"[REDACTED_SERVER]")"},
        {"zip: 12345 ghost=1", "zip: 12345 ghost=[REDACTED_SERVER]"},
        {"server started on the main thread", "server started on the main thread"},
        {"Chip: Apple M2 Pro", "Chip: Apple M2 Pro"},
        {"Memory: 16 GB · Chip=Apple M1 · Server: mc.example.org", "Memory: 16 GB · Chip=Apple M1 · Server: [REDACTED_SERVER]"},
        {"IP: 203.0.113.7 ip=203.0.113.8", "IP: [REDACTED_SERVER] ip=[REDACTED_SERVER]"},
        {"server_ip: 203.0.113.7 (ip: 1.2.3.4)", "server_ip: [REDACTED_SERVER] (ip: [REDACTED_SERVER]"},
        {R"({"gameServer":"mc.example.org","serverIp":"203.0.113.7"})",
         R"({"gameServer":"[REDACTED_SERVER]","serverIp":"[REDACTED_SERVER]"})"},
        {"gameserver: mc.example.org equip: sword", "gameserver: mc.example.org equip: sword"},
        // Private addresses only, with their port.
        {"to 192.168.1.20:25565 now", "to [REDACTED_SERVER] now"},
        {"to 10.0.0.1, 172.16.0.5 and 172.31.255.1", "to [REDACTED_SERVER], [REDACTED_SERVER] and [REDACTED_SERVER]"},
        {"to 172.32.0.5 and 8.8.8.8 and 172.15.0.1", "to 172.32.0.5 and 8.8.8.8 and 172.15.0.1"},
        // E-mail addresses in any case.
        {"mail jo.doe+mc@example.com please", "mail [REDACTED_EMAIL] please"},
        {"MAIL JO@EXAMPLE.CO.UK", "MAIL [REDACTED_EMAIL]"},
        {"user@localhost", "user@localhost"},
        // UUIDs named "uuid".
        {"uuid: 123e4567-e89b-12d3-a456-426614174000", "uuid: [REDACTED_ID]"},
        {R"({"UUID":"0123456789ABCDEF0123456789abcdef"})", R"({"UUID":"[REDACTED_ID]"})"},
        {"uuid: not-a-uuid", "uuid: not-a-uuid"},
        // Nothing to find: dollars and backslashes are not templates.
        {"[12:00:01] [main/INFO]: Loading 212 mods \u2019 \u00B7 $1 \\$ done",
         "[12:00:01] [main/INFO]: Loading 212 mods \u2019 \u00B7 $1 \\$ done"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(redact(QString::fromUtf8(input)), QString::fromUtf8(expected)) << input;
}

TEST(DiagnosticRedactor, OtherUsersFoldersBecomeHome)
{
    EXPECT_EQ(redact("/Users/alice/Library/x"), QStringLiteral("$HOME/Library/x"));
    EXPECT_EQ(redact(R"("\/Users\/alice\/Library")"), QStringLiteral(R"("$HOME\/Library")"));
    EXPECT_EQ(redact("/home/bob/.technic/logs"), QStringLiteral("$HOME/.technic/logs"));
    EXPECT_EQ(redact(R"(\/home\/bob\/x)"), QStringLiteral(R"($HOME\/x)"));
    EXPECT_EQ(redact("'/home/bob' \"/Users/carol\""), QStringLiteral("'$HOME' \"$HOME\""));
    // Case-sensitive, and only whole folder names.
    EXPECT_EQ(redact("/users/alice /HOME/bob /homestead/x /home/"),
              QStringLiteral("/users/alice /HOME/bob /homestead/x /home/"));
}

TEST(DiagnosticRedactor, OwnHomeWithASpaceInEveryForm)
{
    const QString spaced = QStringLiteral("/home/Jo Doe");
    EXPECT_EQ(DiagnosticRedactor::redact("log /home/Jo Doe/logs/latest.log", spaced),
              QStringLiteral("log $HOME/logs/latest.log"));
    EXPECT_EQ(DiagnosticRedactor::redact(R"("\/home\/Jo Doe\/x")", spaced), QStringLiteral(R"("$HOME\/x")"));
    EXPECT_EQ(DiagnosticRedactor::redact("file:///home/Jo%20Doe/saves", spaced), QStringLiteral("file://$HOME/saves"));
    // Without the home folder the rule alone stops at the blank and would leave the rest of the name.
    EXPECT_EQ(DiagnosticRedactor::redact("log /home/Jo Doe/x", QString()), QStringLiteral("log $HOME Doe/x"));
}

TEST(DiagnosticRedactor, OwnHomeOutsideUserFoldersIsCaughtEncodedToo)
{
    const QString odd = QStringLiteral("/srv/accounts/Zo\u00EB Doe/");
    EXPECT_EQ(DiagnosticRedactor::redact(QStringLiteral("at /srv/accounts/Zo\u00EB Doe/saves"), odd),
              QStringLiteral("at $HOME/saves"));
    EXPECT_EQ(DiagnosticRedactor::redact("file:///srv/accounts/Zo%C3%ABD%20Doe/s", odd),
              QStringLiteral("file:///srv/accounts/Zo%C3%ABD%20Doe/s"));
    EXPECT_EQ(DiagnosticRedactor::redact("file:///srv/accounts/Zo%C3%AB%20Doe/s", odd), QStringLiteral("file://$HOME/s"));
    EXPECT_EQ(DiagnosticRedactor::redact("u=file:%2fsrv%2Faccounts%2FZo%c3%ab%20Doe%2Fs", odd),
              QStringLiteral("u=file:$HOME%2Fs"));
    EXPECT_EQ(DiagnosticRedactor::redact(R"(file:\/\/\/srv\/accounts\/Zo%C3%AB%20Doe\/s)", odd),
              QStringLiteral(R"(file:\/\/$HOME\/s)"));
    // Names are case-sensitive; only the hexadecimal digits are not.
    EXPECT_EQ(DiagnosticRedactor::redact("/srv/accounts/zo%C3%AB%20doe/s", odd),
              QStringLiteral("/srv/accounts/zo%C3%AB%20doe/s"));
}

TEST(DiagnosticRedactor, RootOrEmptyHomeNeitherLoopsNorErases)
{
    const QString text = QStringLiteral("a/b/c //d /home/bob/x");
    for (const QString& h : {QString(), QStringLiteral("/"), QStringLiteral("//"), QStringLiteral("relative")})
        EXPECT_EQ(DiagnosticRedactor::redact(text, h), QStringLiteral("a/b/c //d $HOME/x")) << h.toStdString();
    EXPECT_EQ(DiagnosticRedactor::redact(QString(), home), QString());
}

TEST(DiagnosticRedactor, DefaultUsesTheCurrentHomeFolder)
{
    const ScopedHome scoped("/srv/fake home");
    ASSERT_EQ(QDir::homePath(), QStringLiteral("/srv/fake home"));
    EXPECT_EQ(DiagnosticRedactor::redact("open /srv/fake home/x and /srv/fake%20home/y"),
              QStringLiteral("open $HOME/x and $HOME/y"));
}

TEST(DiagnosticRedactor, UnpairedSurrogatesDoNotDisableTheRules)
{
    QString text = QStringLiteral("x password: hunter2 ");
    text.prepend(QChar(0xD800));
    const QString redacted = redact(text);
    EXPECT_EQ(redacted, QString(QChar::ReplacementCharacter) + QStringLiteral("x password: [REDACTED_TOKEN] "));
    // A valid pair is kept as it is.
    const QString emoji = QStringLiteral("\U0001F600 password: a");
    EXPECT_EQ(redact(emoji), QStringLiteral("\U0001F600 password: [REDACTED_TOKEN]"));
}

// A bundle must never depend on being redacted twice: what one rule uncovers for another is caught in the
// same call, and redacting a redacted text changes nothing.
TEST(DiagnosticRedactor, RedactionIsSettledAfterOneCall)
{
    const std::pair<const char*, const char*> cases[] = {
        {"mail jo@example.com10.0.0.5:25565", "mail [REDACTED_EMAIL][REDACTED_SERVER]"},
        {"x@y.io192.168.1.2", "[REDACTED_EMAIL][REDACTED_SERVER]"},
        {"/home/a/home/b and \\/Users\\/c", "$HOME$HOME and $HOME"},
        // Each nested user folder shows the one around it only once it is "$HOME": nine of them take
        // more than eight passes.
        {"/home//home//home//home//home//home//home//home//home/x end", "$HOME end"},
        {"/Users//home//Users//home//Users//home//Users//home//Users//home/x", "$HOME"},
        {"\\/home\\/\\/home\\/\\/home\\/\\/home\\/\\/home\\/\\/home\\/\\/home\\/\\/home\\/\\/home\\/x", "$HOME"},
        {"/home/tester/x token=1 ip=10.1.1.1 uuid=0123456789abcdef0123456789abcdef", nullptr},
        {"Authorization: Basic QWxhZGRpbjpvcGVu session=abc jo@x.org", nullptr},
    };
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE(input);
        const QString once = redact(QString::fromUtf8(input));
        if (expected) {
            EXPECT_EQ(once, QString::fromUtf8(expected));
        }
        EXPECT_EQ(redact(once), once);
    }
}

TEST(DiagnosticRedactor, EveryLogShapeRuleCompiles)
{
    EXPECT_EQ(DiagnosticRedactor::logShapeRules().size(), 19u);
}

// The shapes launcher and game logs write secrets in, and the diagnosis lines around them that must stay.
TEST(DiagnosticRedactor, LogShapesLoseTheirSecretsAndDiagnosisStays)
{
    struct Case {
        const char* input;
        const char* expected; // nullptr: unchanged
    };
    const Case cases[] = {
        // The game's command line, as the launcher runs it and as an argument list prints it.
        {"Running java -Xmx4096m -cp /home/tester/.technic/bin/minecraft.jar net.minecraft.launchwrapper.Launch "
         "--username SteveCraft42 --version 1.12.2 --gameDir /home/tester/.technic/modpacks/tekkit-2 "
         "--uuid 069a79f444e94726a5befca90e38aaf5 --accessToken 8f14e45fceea167a5a36dedd4bea2543 --userType msa "
         "--tweakClass net.minecraftforge.fml.common.launcher.FMLTweaker",
         "Running java -Xmx4096m -cp $HOME/.technic/bin/minecraft.jar net.minecraft.launchwrapper.Launch "
         "--username [REDACTED_USER] --version 1.12.2 --gameDir $HOME/.technic/modpacks/tekkit-2 "
         "--uuid [REDACTED_ID] --accessToken [REDACTED_TOKEN] --userType msa "
         "--tweakClass net.minecraftforge.fml.common.launcher.FMLTweaker"},
        {"--session token:8f14e45f:069a79f4 --xuid 2535405290987654 --clientId MTIzNDU2Nzg5MA== --username=Steve",
         "--session [REDACTED_TOKEN] --xuid [REDACTED_ID] --clientId [REDACTED_ID] --username=[REDACTED_USER]"},
        {"[--username, SteveCraft42, --accessToken, 8f14e45fceea167a5a36dedd4bea2543]",
         "[--username, [REDACTED_USER], --accessToken, [REDACTED_TOKEN]]"},
        {R"(["--uuid", "069a79f4-44e9-4726-a5be-fca90e38aaf5", "--demo"])", R"(["--uuid", "[REDACTED_ID]", "--demo"])"},
        {"--accessToken --version 1.12.2", nullptr}, // a flag is not a value
        // Xbox Live values and the sign-in ticket.
        {"Authorization: XBL3.0 x=12345678901234567890;EwAoA8l6BAAUkj+x/Y=", "Authorization: [REDACTED_TOKEN] x=[REDACTED_TOKEN]"},
        {R"({"identityToken":"XBL3.0 x=12345678901234567890;EwAoA8l6BAAUkj"})",
         R"({"identityToken":"XBL3.0 x=[REDACTED_TOKEN]"})"},
        {R"({"RpsTicket":"d=EwAoA8l6BAAUkj+x/Y=="})", R"({"RpsTicket":"d=[REDACTED_TOKEN]"})"},
        {R"({"xui":[{"uhs":"12345678901234567890"}]})", R"({"xui":[{"uhs":"[REDACTED_ID]"}]})"},
        // Signed download links and percent-encoded e-mail addresses.
        {"GET https://cdn.example.net/p.zip?token=st=1700000000~exp=1700003600~acl=/*~hmac=9f2c&v=2",
         "GET https://cdn.example.net/p.zip?token=[REDACTED_QUERY]&v=2"},
        {"login_hint=alice.smith%2Btekkit%40mail.example.co.uk&prompt=login", "login_hint=[REDACTED_EMAIL]&prompt=login"},
        {"redirect=https%3A%2F%2Fx.test%2Fcb%3Fhint%3Dalice%40mail.example.com",
         "redirect=https%3A%2F%2Fx.test%2Fcb%3Fhint%3D[REDACTED_EMAIL]"},
        // The servers the game connects to, by name or address; shared and unique-local addresses anywhere.
        {"[Server Connector #1/INFO]: Connecting to play.friends-smp.net, 25565",
         "[Server Connector #1/INFO]: Connecting to [REDACTED_SERVER], 25565"},
        {"Connecting to 2001:db8:85a3::8a2e:370:7334, 25565", "Connecting to [REDACTED_SERVER], 25565"},
        {"Connecting to 100.101.102.103, 25565", "Connecting to [REDACTED_SERVER], 25565"},
        {"java.net.UnknownHostException: play.friends-smp.net: Name or service not known",
         "java.net.UnknownHostException: [REDACTED_SERVER]: Name or service not known"},
        {"AnnotatedConnectException: Connection refused: play.friends-smp.net/203.0.113.7:25565",
         "AnnotatedConnectException: Connection refused: [REDACTED_SERVER]"},
        {"connection timed out: no further information: /10.0.0.5:25565",
         "connection timed out: no further information: [REDACTED_SERVER]"},
        {"peer 100.64.0.1:25565, [fd12:3456:789a::1]:25565 and fd00::2",
         "peer [REDACTED_SERVER], [REDACTED_SERVER] and [REDACTED_SERVER]"},
        {"resolved 203.0.113.7, 8.8.8.8, 2001:db8::1, 100.63.255.1 and 100.128.0.1; fe80::1 is local", nullptr},
        {"java.net.UnknownHostException: api.technicpack.net", nullptr},
        {"Connecting to localhost, 25565; Connection refused: localhost/127.0.0.1:25565", nullptr},
        {"java.net.ConnectException: Connection refused: connect", nullptr},
        {"Connecting to https://api.technicpack.net/launcher/version/stable4", nullptr},
        // Account names.
        {"[Client thread/INFO]: Setting user: SteveCraft42", "[Client thread/INFO]: Setting user: [REDACTED_USER]"},
        {"USER=alice\nLOGNAME=alice\nMAIL=/var/mail/alice\nSHELL=/bin/bash",
         "USER=[REDACTED_USER]\nLOGNAME=[REDACTED_USER]\nMAIL=/var/mail/[REDACTED_USER]\nSHELL=/bin/bash"},
        {"user.name=alice\nuser.dir=/home/tester/.technic -Duser.name=alice",
         "user.name=[REDACTED_USER]\nuser.dir=$HOME/.technic -Duser.name=[REDACTED_USER]"},
        {R"({\"USER\":\"alice\",\"log\":\"x\nUSER=bob\"})", R"({\"USER\":\"[REDACTED_USER]\",\"log\":\"x\nUSER=[REDACTED_USER]\"})"},
        // Home folders written with a tilde or a doubled slash; the own "~/" names no one.
        {"cd ~alice/.technic && ls ~/.technic", "cd $HOME/.technic && ls ~/.technic"},
        {"/home//alice/.technic/logs and \\/Users\\/\\/bob\\/x", "$HOME/.technic/logs and $HOME\\/x"},
        // Diagnosis: a crash report's System Details, the mod list, JVM flags, the Forge version line.
        {"\tMinecraft Version: 1.12.2\n\tOperating System: Linux (amd64) version 6.1.0-17-amd64\n"
         "\tJava Version: 1.8.0_392, Temurin\n"
         "\tMemory: 1565397096 bytes (1492 MB) / 3817865216 bytes (3641 MB) up to 3817865216 bytes (3641 MB)\n"
         "\tIntCache: cache: 0, tcache: 0, allocated: 12, tallocated: 94\n"
         "\tGL info: ' Vendor: 'Intel' Version: '4.6 (Compatibility Profile) Mesa 22.3.6'\n"
         "\tIs Modded: Definitely; Client brand changed to 'fml,forge'\n"
         "\tCPU: 8x Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz",
         nullptr},
        {"\tFML: MCP 9.42 Powered by Forge 14.23.5.2860 12 mods loaded, 12 mods active\n"
         "\t| LCHIJA | appliedenergistics2 | rv6-stable-7 | appliedenergistics2-rv6-stable-7.jar | "
         "dfa4d3ac143316c6f32aa1a1beda1e34d42132e5 |",
         nullptr},
        {"\tJVM Flags: 4 total; -Xms1024m -Xmx4096m -XX:+UseG1GC -Dfml.ignoreInvalidMinecraftCertificates=true", nullptr},
        {"[main/INFO] [FML]: Forge Mod Loader version 14.23.5.2860 for Minecraft 1.12.2 loading", nullptr},
        {"[Client thread/INFO] [FML]: Searching /home/tester/.technic/modpacks/tekkit-2/mods for mods",
         "[Client thread/INFO] [FML]: Searching $HOME/.technic/modpacks/tekkit-2/mods for mods"},
        {"[CHAT] Steve: meet at x=120, y=64; z=-300 on ~Tuesday", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        const QString input = QString::fromUtf8(c.input);
        const QString once = redact(input);
        EXPECT_EQ(once, c.expected ? QString::fromUtf8(c.expected) : input);
        EXPECT_EQ(redact(once), once);
    }
}
