#include "model/IdentityLearner.h"

#include "model/RedactionRules.h"

#include <QRegularExpression>
#include <QStringList>

#include <vector>

namespace orvane {

namespace {

using Kind = IdentityKind;

struct LearnRule {
    QRegularExpression expression;
    // The kind of each capture group, from group 1.
    std::vector<Kind> groups;
    // When given, the rule runs only on a text that holds one of these (any letter case), so that a
    // log without such lines costs one plain search.
    QStringList cues;
};

// A Minecraft name where it stands as a whole word.
#define NAME R"re(([A-Za-z0-9_]{3,16})(?![\p{L}\p{N}_]))re"
#define UUID R"re(([0-9a-f]{8}-?[0-9a-f]{4}-?[0-9a-f]{4}-?[0-9a-f]{4}-?[0-9a-f]{12})(?![\p{L}\p{N}]))re"
// The start of a word, also right after a JSON escape.
#define WORD_START R"re((?:(?<![\p{L}\p{N}_])|(?<=\\[nrt])))re"
// A JSON key's closing quote and colon, and the value's opening quote, plain or inside JSON text.
#define JSON_VALUE R"re(\\?"\s*:\s*\\?")re"
// "=" or ":" between a setting and its value, with optional quotes.
#define SETTING R"re(\\?["']?\h*[:=]\h*\\?["']?\h*)re"
// A command-line flag's value: "--flag value", "--flag=value" or a printed argument list.
#define FLAG_VALUE R"re((?![\p{L}\p{N}_-])\\?["']?(?:\h*[=,]\h*|\h+)\\?["']?(?!--))re"
// A host, or a bracketed IPv6 address.
#define HOST R"re((\[[0-9a-f:.]+\]|[^\s:,;"'\\()\[\]/]+))re"

const std::vector<LearnRule>& learnRules()
{
    static const std::vector<LearnRule> rules = [] {
        const auto caseless = QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption;
        const auto exact = QRegularExpression::UseUnicodePropertiesOption;
        const auto rule = [](const char* pattern, QRegularExpression::PatternOptions options, std::vector<Kind> groups,
                             QStringList cues = {}) {
            return LearnRule{QRegularExpression(QString::fromUtf8(pattern), options), std::move(groups), std::move(cues)};
        };
        std::vector<LearnRule> out{
            // The player.
            rule(R"re(setting user:\h*)re" NAME, caseless, {Kind::name}),
            rule(R"re(--username)re" FLAG_VALUE R"re(([^\s,;"'\\\[\]]+))re", caseless, {Kind::name}),
            rule(R"re(logged in as\h+)re" NAME, caseless, {Kind::name}),
            rule(R"re(gameprofile@?[0-9a-f]*\[id=(?:)re" UUID R"re(|null),name=([^,\]\s]+))re", caseless,
                 {Kind::id, Kind::name}),
            rule(R"re(\\?"gtg)re" JSON_VALUE R"re(([^"\\]{1,64}))re", caseless, {Kind::name}),
            rule(R"re(\\?"(?:username|gamertag|playerName|player_name))re" JSON_VALUE R"re(([^"\\]{1,64}))re",
                 caseless, {Kind::name}),
            rule(R"re(\\?"id)re" JSON_VALUE R"re(([0-9a-f]{32})\\?"\s*,\s*\\?"name)re" JSON_VALUE
                     R"re(([^"\\]{1,32}))re",
                 caseless, {Kind::id, Kind::name}),
            rule(R"re(\\?"name)re" JSON_VALUE R"re(([^"\\]{1,32})\\?"\s*,\s*\\?"id)re" JSON_VALUE
                     R"re(([0-9a-f]{32}))re",
                 caseless, {Kind::name, Kind::id}),
            // Other players, as the game's log lines and chat lines name them.
            rule(R"re(uuid of player\h+)re" NAME R"re(\h+is\h+)re" UUID, caseless, {Kind::name, Kind::id}),
            rule(R"re((?:\[CHAT\]|\]:)\h+)re" NAME R"re((?:\h(?:joined|left) the game|\[[^\]\s]*\]\h+logged in with entity id)re"
                                 R"re(|\h+lost connection:|\h+has (?:made the advancement|completed the challenge)re"
                                 R"re(|reached the goal)\h|\h+whispers to you:))re",
                 caseless, {Kind::name},
                 {QStringLiteral(" the game"), QStringLiteral("logged in with entity id"),
                  QStringLiteral("lost connection:"), QStringLiteral(" has "), QStringLiteral("whispers to you")}),
            // Chat speakers: "<name>" on a chat line or a server's log line; an emote or a whisper only on
            // a chat line, since a log line may begin with a "*" of its own.
            rule(R"re((?:\[CHAT\]|\]:)\h+<)re" NAME R"re(>)re", caseless, {Kind::name}),
            rule(R"re(\[CHAT\]\h+(?:\*\h+|you whisper to\h+))re" NAME, caseless, {Kind::name}),
            rule(R"re(Entity(?:Other)?Player(?:MP|SP)?\['([^'\\]{1,32})'/)re", caseless, {Kind::name}),
            rule(R"re(Entity Type:[^\n]*?Entity(?:Other)?Player(?:MP|SP)?\)\s+Entity ID:\h*\d+\s+Entity Name:\h*)re"
                 R"re(([^\r\n\\]+?)\h*(?:\r?\n|$))re",
                 caseless, {Kind::name}),
            // Account ids.
            rule(R"re(--x?uuid)re" FLAG_VALUE R"re(([0-9a-f-]{8,64}))re", caseless, {Kind::id}),
            rule(R"re(\\?"(?:xid|xuid|user_id|userId|selectedProfile|profileId))re" JSON_VALUE
                 R"re(([^"\\]{1,128}))re",
                 caseless, {Kind::id}),
            rule(R"re([?&#]user_id=([^&#\s"'\\]+))re", caseless, {Kind::id}),
            rule(R"re(token:[^:\s"'\\]+:)re" UUID, caseless, {Kind::id}),
            // The user running the game: environment dumps, properties and the paths of removable media
            // and of the JVM's performance data. Environment names are upper case.
            rule(WORD_START R"re((?:USER|LOGNAME|USERNAME))re" SETTING R"re(([^\s,;}&"'\\]+))re", exact, {Kind::name}),
            rule(R"re(user\.name)re" SETTING R"re(([^\s,;}&"'\\]+))re", caseless, {Kind::name}),
            rule(R"re((?:/|\\/)(?:run(?:/|\\/))?media(?:/|\\/)([^/\\\s"']+))re", exact, {Kind::name}),
            rule(R"re(hsperfdata_([^/\\\s"']+))re", exact, {Kind::name}),
            rule(R"re([A-Za-z]:(?:\\\\|\\)(?:home|users)(?:\\\\|\\)([^\\\s"'/]+))re", caseless, {Kind::name}),
            // This machine: its name in the environment, and a name the resolver could not find as
            // Java reports the local host ("<name>: <name>: Name or service not known").
            rule(WORD_START R"re((?:HOSTNAME|COMPUTERNAME))re" SETTING R"re(([^\s,;}&"'\\]+))re", exact, {Kind::host}),
            rule(R"re(unknownhostexception:\h*([^\s,;:"'\\()]+):\h*\1:)re", caseless, {Kind::host}),
            // The player's servers: the launch command, the server list and the game's connection lines.
            // A host named by a failure alone (a mod's update site that did not resolve) is redacted
            // where it stands, but not learned.
            rule(R"re(--server)re" FLAG_VALUE HOST, caseless, {Kind::host}),
            rule(R"re(lastServer)re" SETTING HOST, caseless, {Kind::host}),
            rule(R"re(connecting to\h+)re" HOST R"re((?:,\h*|:)\d{1,5}(?!\d))re", caseless, {Kind::host}),
            rule(R"re(can't ping\h+)re" HOST, caseless, {Kind::host}),
            rule(R"re(_minecraft\._tcp\.([a-z0-9.-]*[a-z0-9]))re", caseless, {Kind::host}),
        };
        return out;
    }();
    return rules;
}

#undef NAME
#undef UUID
#undef WORD_START
#undef JSON_VALUE
#undef SETTING
#undef FLAG_VALUE
#undef HOST

bool holdsCue(const QString& text, const QStringList& cues)
{
    if (cues.isEmpty())
        return true;
    for (const QString& cue : cues) {
        if (text.contains(cue, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

RedactionIdentities learnIdentities(const QString& subject)
{
    // Made valid once, so that no search checks the whole text again.
    const QString text = RedactionRules::withPairedSurrogates(subject);
    RedactionIdentities learned;
    for (const LearnRule& rule : learnRules()) {
        if (!holdsCue(text, rule.cues))
            continue;
        QRegularExpressionMatchIterator it = rule.expression.globalMatch(
            text, 0, QRegularExpression::NormalMatch, QRegularExpression::DontCheckSubjectStringMatchOption);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            for (std::size_t i = 0; i < rule.groups.size(); ++i) {
                if (const QString value = match.captured(int(i) + 1); !value.isEmpty())
                    learned.add(rule.groups[i], value);
            }
        }
    }
    return learned;
}

} // namespace orvane
