#include "model/DiagnosticRedactor.h"
#include "model/RedactionRules.h"

#include <iterator>

namespace orvane::DiagnosticRedactor {

namespace {

using RedactionRules::baseOptions;
using RedactionRules::compile;
using RedactionRules::notAKeptHost;

// A player's name where it stands as a whole word (a name already redacted is matched again, so that
// redacting twice changes nothing).
const char* const playerName = R"re((?:[A-Za-z0-9_]{3,16}+|\[REDACTED_USER\]))re";
// Where the game's log lines and chat lines begin to speak about a player.
const char* const lineStart = R"re(((?:\[CHAT\]|\]:)\h+))re";
// What a chat message says, up to the end of its line: in JSON text up to an escaped line break or
// the closing quote of the string, in the launcher's console up to the end of its CDATA.
const char* const chatText =
    R"re((?:(?!\]\]>)(?!"(?:,?\h*(?:\r?\n|$)|\h*[}\]]))[^\r\n\\]|\\(?![nrt])[^\r\n])*+)re";
// A JSON key's closing quote and colon and the value's opening quote, plain or inside JSON text.
const char* const jsonValue = R"re(\\?"\s*:\s*\\?")re";
// A value that holds no marker yet.
const char* const unredacted = R"re((?![^\s"'\\&,;]*\[REDACTED_))re";
const char* const uuid = R"re([0-9a-f]{8}-?[0-9a-f]{4}-?[0-9a-f]{4}-?[0-9a-f]{4}-?[0-9a-f]{12})re";
// Names of secrets: a key only with a word that makes it one ("apiKey", "api_dev_key", "privateKey";
// a "translationKey" is none).
const char* const secretName =
    R"re((?:token|secret|password|passwd|ticket|(?:api|private|secret|access|dev|user|client|session|auth|license|signing)[_-]?key))re";
// A host, or a bracketed IPv6 address, that is no marker.
const char* const hostValue = R"re((?!\[REDACTED)(?:\[[0-9a-f:.]+\]|[^\s:,;"'\\()\[\]/]+))re";

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Chat, the names in the lines about players, and profile and sign-in names and ids.
std::vector<Rule> peopleRules()
{
    return compile(
        {
            // Chat: the speaker and what was said, whispered or acted (an emote only on a chat line: a log
            // line may begin with a "*" of its own).
            {s(R"re(((?:\[CHAT\]|\]:)\h+)<)re") + s(playerName) + s(R"re(>(?:\h)re") + s(chatText) + s(")?"),
             R"re($1<[REDACTED_USER]> [REDACTED_CHAT])re"},
            {s(R"re((\[CHAT\]\h+)\*\h+)re") + s(playerName) + s(R"re(\h+)re") + s(chatText),
             R"re($1* [REDACTED_USER] [REDACTED_CHAT])re"},
            {s(lineStart) + s(playerName) + s(R"re((\h+whispers to you:\h*))re") + s(chatText),
             R"re($1[REDACTED_USER]$2[REDACTED_CHAT])re"},
            {s(R"re((you whisper to\h+))re") + s(playerName) + s(R"re((:\h*))re") + s(chatText),
             R"re($1[REDACTED_USER]$2[REDACTED_CHAT])re"},
            // Names in the game's lines about players, where a log line or a chat line begins.
            {s(lineStart) + s(R"re([A-Za-z0-9_]{3,16}+(?=\h(?:joined|left) the game|\h+lost connection:)re")
                 + s(R"re(|\h+has (?:made the advancement|completed the challenge|reached the goal)\h)re")
                 + s(R"re(|\[[^\]\s]*\]\h+logged in with entity id))re"),
             R"re($1[REDACTED_USER])re"},
            // The address a player came from; the own machine's loopback stays.
            {s(R"re((?<=[A-Za-z0-9_\]])(\[/)(?!127\.|\[?::1\]?:|\[REDACTED)[^\]\s]+(?=\]\h+logged in with entity id))re"),
             R"re($1[REDACTED_SERVER])re"},
            {s(R"re((uuid of player\h+))re") + s(playerName) + s(R"re((\h+is\h+)(?:)re") + s(uuid)
                 + s(R"re(|\[REDACTED_ID\]))re"),
             R"re($1[REDACTED_USER]$2[REDACTED_ID])re"},
            {s(R"re((gameprofile@?[0-9a-f]*\[id=))re") + s(uuid), R"re($1[REDACTED_ID])re"},
            {s(R"re((gameprofile@?[0-9a-f]*\[id=(?:\[REDACTED_ID\]|[^,\]\s]*),name=)(?!\[REDACTED)[^,\]\s]+)re"),
             R"re($1[REDACTED_USER])re"},
            {s(R"re((Entity(?:Other)?Player(?:MP|SP)?\[')[^'\\]+(?='))re"), R"re($1[REDACTED_USER])re"},
            {s(R"re((Entity Type:[^\n\\]*?Entity(?:Other)?Player(?:MP|SP)?\)(?:\s|\\[nrt])+Entity ID:\h*\d+)re")
                 + s(R"re((?:\s|\\[nrt])+Entity Name:\h*+)(?!\[REDACTED)[^\r\n\\]+)re"),
             R"re($1[REDACTED_USER])re"},
            {s(R"re((logged in as\h++)(?!\[REDACTED)[A-Za-z0-9_]{3,16}+(?![\p{L}\p{N}_]))re"), R"re($1[REDACTED_USER])re"},
            // Names and account ids in sign-in and profile replies.
            {s(R"re((\\?"(?:gtg|username|gamertag|playerName|player_name))re") + s(jsonValue)
                 + s(R"re()(?!\[REDACTED)[^"\\]+)re"),
             R"re($1[REDACTED_USER])re"},
            {s(R"re((\\?"(?:xid|user_id|userId|selectedProfile|profileId))re") + s(jsonValue)
                 + s(R"re()(?!\[REDACTED)[^"\\]+)re"),
             R"re($1[REDACTED_ID])re"},
            {s(R"re(([?&#]user_id=)(?!\[REDACTED)[^&#\s"'\\]+)re"), R"re($1[REDACTED_ID])re"},
            {s(R"re((session id is\h+)(?!\[REDACTED_TOKEN\](?![^\s,;"'\\]))[^\s,;"'\\]+)re"), R"re($1[REDACTED_TOKEN])re"},
            // A player's save files are named after the player's UUID.
            {s(R"re(((?:playerdata|stats|advancements)(?:/|\\/|\\\\|\\)))re") + s(uuid) + s(R"re((?=\.))re"),
             R"re($1[REDACTED_ID])re"},
        },
        baseOptions | QRegularExpression::CaseInsensitiveOption);
}

// Secrets under names that say so, whole Xbox tokens and webhook tokens.
std::vector<Rule> secretRules()
{
    return compile(
        {
            // Secrets under any name that says so: JSON keys, URL parameters and form fields.
            {s(R"re((\\?"(?:[A-Za-z0-9_.-]*)re") + s(secretName) + s(R"re(|key))re") + s(jsonValue)
                 + s(R"re()(?![^"\\]*\[REDACTED_)[^"\\]+)re"),
             R"re($1[REDACTED_TOKEN])re"},
            {s(R"re(([?&#;](?:[A-Za-z0-9_.-]*)re") + s(secretName) + s(R"re(|key)=))re") + s(unredacted)
                 + s(R"re([^&#\s"'\\]+)re"),
             R"re($1[REDACTED_QUERY])re"},
            {s(R"re(((?:token|secret|passw(?:or)?d|ticket|(?<=api|private|secret|access|dev|user|client|session)re")
                 + s(R"re(|auth|license|signing)[_-]?key)\h*=\h*))re") + s(unredacted) + s(R"re([^\s&,;"'\\]+)re"),
             R"re($1[REDACTED_TOKEN])re"},
            // The last two of an Xbox token's five parts, once its first three are gone, and a token whose
            // second part is empty.
            {s(R"re((\[REDACTED_TOKEN\])(?:\.[A-Za-z0-9_-]{10,}){1,2}(?![A-Za-z0-9_.-]))re"), R"re($1)re"},
            {s(R"re(\beyJ[A-Za-z0-9_-]{6,}(?:\.[A-Za-z0-9_-]*){4}(?![A-Za-z0-9_-]))re"), R"re([REDACTED_TOKEN])re"},
            // Webhook links carry their token in the path.
            {s(R"re(((?:/|\\/)(?:api(?:/|\\/)(?:v\d+(?:/|\\/))?)?webhooks(?:/|\\/)\d+(?:/|\\/))(?!\[REDACTED)[A-Za-z0-9_-]+)re"),
             R"re($1[REDACTED_TOKEN])re"},
            {s(R"re((hooks\.slack\.com(?:/|\\/)services(?:/|\\/))(?!\[REDACTED)[A-Za-z0-9_]+(?:(?:/|\\/)[A-Za-z0-9_]+)*)re"),
             R"re($1[REDACTED_TOKEN])re"},
        },
        baseOptions | QRegularExpression::CaseInsensitiveOption);
}

// Homes under Wine, network cards and the player's servers.
std::vector<Rule> placeRules()
{
    return compile(
        {
            // A home as Wine names it ("Z:\home\alice\…", "C:\users\alice\…").
            {s(R"re(([A-Za-z]:)(?:\\\\|\\)(?:home|users)(?:\\\\|\\)[^\\\s"'/]+)re"), R"re($1\$HOME)re"},
            // Network cards: MAC addresses, and IPv6 addresses made from one (EUI-64: "…ff:fe…").
            {s(R"re((?<![\p{L}\p{N}:.-])[0-9a-f]{2}([:-])[0-9a-f]{2}(?:\1[0-9a-f]{2}){4}(?![\p{L}\p{N}:.-]))re"),
             R"re([REDACTED_ID])re"},
            {s(R"re((?<![\p{L}\p{N}:.\[])\[?(?:[0-9a-f]{1,4}:){1,6}:?(?:[0-9a-f]{1,4}:)*?[0-9a-f]{0,2}ff:fe[0-9a-f]{2}:)re")
                 + s(R"re([0-9a-f]{1,4}(?:%[\p{L}\p{N}_.-]+)?(?:\](?::\d{1,5})?)?(?![\p{L}\p{N}:]))re"),
             R"re([REDACTED_SERVER])re"},
            // The player's servers: the server list's ping, the launch command, connection lines and
            // the name looked up for a server record.
            {s(R"re((can't ping\h+))re") + notAKeptHost() + s(hostValue) + s(R"re((?::\d{1,5}(?!\d))?)re"),
             R"re($1[REDACTED_SERVER])re"},
            {s(R"re((--server(?![\p{L}\p{N}_-])\\?["']?(?:\h*[=,]\h*|\h+)\\?["']?))re") + notAKeptHost()
                 + s(R"re((?!--)(?!\[REDACTED)[^\s,;"'\\\[\]]+)re"),
             R"re($1[REDACTED_SERVER])re"},
            {s(R"re((connecting to\h+))re") + notAKeptHost() + s(hostValue) + s(R"re(:\d{1,5}(?!\d))re"),
             R"re($1[REDACTED_SERVER])re"},
            {s(R"re(((?:network is unreachable|no route to host)(?: \(connect failed\))?:\h*))re") + notAKeptHost()
                 + s(R"re([^\s/,;"'\\()]*+/[^\s,;"'\\()]++)re"),
             R"re($1[REDACTED_SERVER])re"},
            {s(R"re((_minecraft\._tcp\.)(?!\[REDACTED)[A-Za-z0-9.-]*[A-Za-z0-9])re"), R"re($1[REDACTED_SERVER])re"},
            {s(R"re((lastServer\\?["']?\h*[:=]\h*\\?["']?\h*))re") + notAKeptHost()
                 + s(R"re((?!\[REDACTED)[^\s,;}"'\\]+)re"),
             R"re($1[REDACTED_SERVER])re"},
            // Java names the local host twice when it cannot resolve it; the first is already gone.
            {s(R"re((unknownhostexception:\h*\[REDACTED_SERVER\]:\h*)(?!\[REDACTED)[^\s,;:"'\\()]+(?=:\h))re"),
             R"re($1[REDACTED_SERVER])re"},
        },
        baseOptions | QRegularExpression::CaseInsensitiveOption);
}

// Paths and environment names, whose letter case counts.
std::vector<Rule> accountPathRules()
{
    return compile(
        {
            // Removable media mount under the account's name, and so does the JVM's performance data.
            {R"re(((?:/|\\/)(?:run(?:/|\\/))?media(?:/|\\/))[^/\\\s"']+)re", R"re($1[REDACTED_USER])re"},
            {R"re((hsperfdata_)[^/\\\s"']+)re", R"re($1[REDACTED_USER])re"},
            // The machine's name in an environment dump.
            {R"re(((?:(?<![\p{L}\p{N}_])|(?<=\\[nrt]))(?:HOSTNAME|COMPUTERNAME)\\?["']?\h*[:=]\h*\\?["']?\h*)(?!\[REDACTED)[^\s,;}&"'\\]+)re",
             R"re($1[REDACTED_SERVER])re"},
        },
        baseOptions);
}

} // namespace

const std::vector<Rule>& accountShapeRules()
{
    static const std::vector<Rule> list = [] {
        std::vector<Rule> out;
        for (std::vector<Rule> (*group)() : {peopleRules, secretRules, placeRules, accountPathRules}) {
            std::vector<Rule> rules = group();
            out.insert(out.end(), std::make_move_iterator(rules.begin()), std::make_move_iterator(rules.end()));
        }
        return out;
    }();
    return list;
}

} // namespace orvane::DiagnosticRedactor
