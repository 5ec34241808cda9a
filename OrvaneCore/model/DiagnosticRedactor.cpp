#include "model/DiagnosticRedactor.h"

#include "model/IdentityLearner.h"
#include "model/IdentityMatcher.h"
#include "model/RedactionRules.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>

#include <optional>
#include <utility>

namespace orvane::DiagnosticRedactor {

namespace {

using RedactionRules::apply;
using RedactionRules::baseOptions;
using RedactionRules::compile;
using RedactionRules::homeTemplate;

QString hexByteClass(unsigned byte)
{
    static const char digits[] = "0123456789ABCDEF";
    QString out = QStringLiteral("%");
    for (const unsigned nibble : {byte >> 4, byte & 0xFu}) {
        const QChar upper = QLatin1Char(digits[nibble]);
        if (upper.isLetter())
            out += QStringLiteral("[%1%2]").arg(upper, upper.toLower());
        else
            out += upper;
    }
    return out;
}

// Matches the home folder in any mix of plain, JSON-escaped ("\/") and percent-encoded characters,
// as file URLs and logs write it ("/home/Jo%20Doe").
QRegularExpression encodedHomeExpression(const QString& home)
{
    QString pattern;
    for (qsizetype i = 0; i < home.size();) {
        const qsizetype length = home.at(i).isHighSurrogate() && i + 1 < home.size() ? 2 : 1;
        const QString character = home.mid(i, length);
        i += length;
        QString encoded;
        for (const char byte : character.toUtf8())
            encoded += hexByteClass(static_cast<unsigned char>(byte));
        if (character == QLatin1String("/"))
            pattern += QStringLiteral("(?:\\\\?/|%1)").arg(encoded);
        else
            pattern += QStringLiteral("(?:%1|%2)").arg(QRegularExpression::escape(character), encoded);
    }
    return QRegularExpression(pattern);
}

// A copy, so a caller never holds a reference into the cache another thread may replace.
QRegularExpression cachedEncodedHomeExpression(const QString& home)
{
    static QMutex mutex;
    static std::optional<std::pair<QString, QRegularExpression>> cache;
    QMutexLocker lock(&mutex);
    if (!cache || cache->first != home)
        cache.emplace(home, encodedHomeExpression(home));
    return cache->second;
}

// The home as replaced text: clean, absolute, without a trailing "/"; nothing for "" and "/".
std::optional<QString> usableHome(const QString& home)
{
    if (home.isEmpty())
        return std::nullopt;
    QString clean = QDir::cleanPath(home);
    while (clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    if (clean.isEmpty() || !clean.startsWith(QLatin1Char('/')))
        return std::nullopt;
    return clean;
}

// A command-line flag named by one of `names` and its value: "--uuid <value>", "--uuid=<value>", or as
// elements of a printed argument list ("--uuid, <value>", "\"--uuid\", \"<value>\""). Blanks stay on the
// line, and a following flag is not a value.
QString flagValue(const char* names)
{
    return QStringLiteral(R"re((--(?:)re") + QLatin1String(names)
        + QStringLiteral(R"re()(?![\p{L}\p{N}_-])\\?["']?(?:\h*[=,]\h*|\h+)\\?["']?)(?!--)[^\s,;"'\\\[\]]+)re");
}

// One pass of every rule, in order: the home as text, then the user-folder rules, then the others, and
// last the known identities.
QString redactOnce(QString result, const std::optional<QString>& home, const IdentityMatcher& identities)
{
    const QString homeText = QStringLiteral("$HOME");
    if (home) {
        result.replace(*home, homeText, Qt::CaseSensitive);
        QString escaped = *home;
        escaped.replace(QLatin1Char('/'), QLatin1String("\\/"));
        result.replace(escaped, homeText, Qt::CaseSensitive);
        result.replace(cachedEncodedHomeExpression(*home), homeText);
    }
    // The text's surrogates were paired before the first pass, and no rule inserts a lone one.
    constexpr auto checked = QRegularExpression::DontCheckSubjectStringMatchOption;
    for (const std::vector<Rule>* list : {&userPathRules(), &rules(), &logShapeRules(), &accountShapeRules()}) {
        for (const Rule& rule : *list)
            result = apply(result, rule, checked);
    }
    return identities.apply(result);
}

} // namespace

const std::vector<Rule>& userPathRules()
{
    static const std::vector<Rule> list = compile(
        {
            {R"re(/Users/[^/\s\"'\\]+)re", homeTemplate},
            {R"re(\\/Users\\/[^\\/\s\"']+)re", homeTemplate},
            // The same for this platform's user folders.
            {R"re(/home/[^/\s\"'\\]+)re", homeTemplate},
            {R"re(\\/home\\/[^\\/\s\"']+)re", homeTemplate},
        },
        baseOptions);
    return list;
}

const std::vector<Rule>& rules()
{
    static const std::vector<Rule> list = compile(
        {
            {R"re((?i)([?&](?:access[_-]?token|refresh[_-]?token|minecraft[_-]?(?:access[_-]?)?token|xbox[_-]?token|xsts[_-]?token|client[_-]?secret|authorization[_-]?code|oauth[_-]?code|code|auth|api[_-]?key)=)[^&#\s\"'\\]+)re",
             R"re($1[REDACTED_QUERY])re"},
            {R"re((?i)((?<![?&])(?:access[_-]?token|refresh[_-]?token|minecraft[_-]?(?:access[_-]?)?token|xbox[_-]?token|xsts[_-]?token|auth[_-]?player|client[_-]?secret|session(?:id|token)?|password|passwd)\\?[\"']?\s*[:=]\s*\\?[\"']?\s*(?:bearer\s+)?)[^\s,;}&\"'\\]+)re",
             R"re($1[REDACTED_TOKEN])re"},
            // The scheme word stays; every common scheme is named so that a Basic or Digest credential
            // after it is redacted too, not left behind the scheme word.
            {R"re((?i)(authorization\s*[:=]\s*(?:(?:bearer|basic|digest|negotiate|ntlm|token)\s+)?)[^\s,;}&\"'\\]+)re",
             R"re($1[REDACTED_TOKEN])re"},
            {R"re((?i)\bbearer\s+[A-Za-z0-9._~+/=-]{8,})re", R"re([REDACTED_TOKEN])re"},
            {R"re(\beyJ[A-Za-z0-9_-]{6,}\.[A-Za-z0-9_-]{6,}\.[A-Za-z0-9_-]{6,}\b)re", R"re([REDACTED_TOKEN])re"},
            {R"re((?i)((?<![?&])(?:authorization[_-]?code|oauth[_-]?code|auth[_-]?code|code)\\?[\"']?\s*[:=]\s*\\?[\"']?\s*)[^\s,;}&\"'\\]+)re",
             R"re($1[REDACTED_CODE])re"},
            {R"re((?i)(xbl3\.0=)[^\s,;}&\"'\\]+)re", R"re($1[REDACTED_TOKEN])re"},
            // "server" and "ip" are labels only as whole words ("Chip: Apple M2 Pro" keeps its value):
            // after no letter or digit, or at a camel-case hump ("gameServer", "serverIp"). "localhost:"
            // is a host with its port, not a label: the port is diagnosis.
            {R"re((?i)((?:(?:(?<![\p{L}\p{N}])|(?<=\p{Ll})(?=\p{Lu}))(?:server(?:[_-]?address)?|ip)|serverHost|(?<!local)host)\\?[\"']?\s*[:=]\s*\\?[\"']?\s*)[^\s,;}&\"'\\]+)re",
             R"re($1[REDACTED_SERVER])re"},
            {R"re(\b(?:10(?:\.\d{1,3}){3}|192\.168(?:\.\d{1,3}){2}|172\.(?:1[6-9]|2\d|3[01])(?:\.\d{1,3}){2})(?::\d{1,5})?\b)re",
             R"re([REDACTED_SERVER])re"},
            {R"re([A-Z0-9._%+-]+@[A-Z0-9.-]+\.[A-Z]{2,})re", R"re([REDACTED_EMAIL])re"},
            {R"re((?i)(uuid\\?[\"']?\s*[:=]\s*\\?[\"']?\s*)[0-9a-f-]{32,36})re", R"re($1[REDACTED_ID])re"},
        },
        baseOptions | QRegularExpression::CaseInsensitiveOption);
    return list;
}

const std::vector<Rule>& logShapeRules()
{
    // Where a rule needs a break before its start, a JSON escape ("\n") counts as one: the bundle writer
    // redacts its whole JSON text too. A value never takes a quote or backslash, so that JSON stays whole.
    static const std::vector<Rule> list = [] {
        std::vector<Rule> out = compile(
            {
                {flagValue("access[_-]?token|session"), R"re($1[REDACTED_TOKEN])re"},
                {flagValue("uuid|xuid|client[_-]?id"), R"re($1[REDACTED_ID])re"},
                {flagValue("username"), R"re($1[REDACTED_USER])re"},
                // "XBL3.0 x=<user hash>;<token>"; in a header the scheme word is already a marker.
                {R"re(((?:\bxbl3\.0|\[REDACTED_TOKEN\])\h+x=)[^\s,;}&"'\\]*;[^\s,}&"'\\]+)re", R"re($1[REDACTED_TOKEN])re"},
                {R"re(((?<![\p{L}\p{N}])rpsticket\\?["']?\h*[:=]\h*\\?["']?\h*(?:[dt]=)?)[^\s,;}&"'\\]+)re",
                 R"re($1[REDACTED_TOKEN])re"},
                // The user hash and Xbox user id in the sign-in bodies.
                {R"re(((?<![\p{L}\p{N}_-])(?:uhs|xuid)\\?["']?\h*[:=]\h*\\?["']?\h*)[^\s,;}&"'\\]+)re", R"re($1[REDACTED_ID])re"},
                // Signed download links.
                {R"re(([?&]token=)[^&#\s"'\\]+)re", R"re($1[REDACTED_QUERY])re"},
                // A percent-encoded e-mail address ("%40" for "@"): its name holds what a plain one holds,
                // "+", ".", "-" and "_" also encoded, and any other escape ("%3D" of a query) ends it. The
                // character before the name is matched and kept, so a match is only tried where a name can
                // begin and a long run without "%40" is read once.
                {R"re((^|\\[nrt]|[^A-Z0-9._%+-]|%(?!2[BDE]|5F|40)[0-9A-F]{2})(?:[A-Z0-9._+-]|%2[BDE]|%5F)++%40[A-Z0-9.-]+\.[A-Z]{2,})re",
                 R"re($1[REDACTED_EMAIL])re"},
                // The game's connection lines: "Connecting to <host>, <port>", a name that did not resolve and
                // a refused or timed-out "<host>/<address>:<port>".
                {QStringLiteral(R"re((connecting to\h+))re") + RedactionRules::notAKeptHost()
                     + QStringLiteral(R"re([^\s,"'\\]++(?=,\h*\d{1,5}(?!\d)))re"),
                 R"re($1[REDACTED_SERVER])re"},
                {QStringLiteral(R"re((unknownhostexception:\h*))re") + RedactionRules::notAKeptHost()
                     + QStringLiteral(R"re([^\s,;:"'\\()]++)re"),
                 R"re($1[REDACTED_SERVER])re"},
                {QStringLiteral(R"re((connection (?:refused|timed out):\h*(?:no further information:\h*)?))re")
                     + RedactionRules::notAKeptHost() + QStringLiteral(R"re([^\s/,;"'\\()]*+/[^\s,;"'\\()]++)re"),
                 R"re($1[REDACTED_SERVER])re"},
                // Shared-address (carrier-grade NAT and overlay network) IPv4, 100.64.0.0/10, with a port.
                {R"re((?<![\p{N}.])100\.(?:6[4-9]|[7-9]\d|1[01]\d|12[0-7])(?:\.\d{1,3}){2}(?::\d{1,5})?\b(?!\.\d))re",
                 R"re([REDACTED_SERVER])re"},
                // Unique local IPv6, fd00::/8, bracketed with a port or bare.
                {R"re((?:(?<![\p{L}\p{N}:.])|(?<=\\[nrt]))(?:\[fd[0-9a-f]{2}(?::[0-9a-f]{0,4}){2,7}\](?::\d{1,5})?|fd[0-9a-f]{2}(?::[0-9a-f]{0,4}){2,7}(?![\p{L}\p{N}:])))re",
                 R"re([REDACTED_SERVER])re"},
                {R"re((setting user:\h*)[^\s,;"'\\]+)re", R"re($1[REDACTED_USER])re"},
                {R"re(((?:(?<![\p{L}\p{N}_.-])|(?<=-D|\\[nrt]))user\.name\\?["']?\h*[:=]\h*\\?["']?\h*)[^\s,;}&"'\\]+)re",
                 R"re($1[REDACTED_USER])re"},
            },
            baseOptions | QRegularExpression::CaseInsensitiveOption);
        const std::vector<Rule> caseSensitive = compile(
            {
                // Environment dumps; the names are upper case, so prose such as "user: " is left alone.
                {R"re(((?:(?<![\p{L}\p{N}_])|(?<=\\[nrt]))(?:USER|LOGNAME|USERNAME)\\?["']?\h*[:=]\h*\\?["']?\h*)[^\s,;}&"'\\]+)re",
                 R"re($1[REDACTED_USER])re"},
                {R"re(((?:/|\\/)var(?:/|\\/)(?:spool(?:/|\\/))?mail(?:/|\\/))[^/\\\s"']+)re", R"re($1[REDACTED_USER])re"},
                // "~name/": another account's home as the shell writes it; "~/" names no one and stays.
                {R"re((?:(?<![^\s"'=:,;(\[{])|(?<=\\[nrt]))~[\p{L}_][\p{L}\p{N}._-]*+(?=/|\\/))re", homeTemplate},
                // A user folder after a doubled "/". A user folder nested in it is left to the user-path
                // rules, which peel such nests from the inside.
                {R"re((?:/|\\/)(?:home|Users)(?:/|\\/){2,}+(?!(?:home|Users)(?:/|\\/))[^/\\\s"']+)re", homeTemplate},
            },
            baseOptions);
        out.insert(out.end(), caseSensitive.begin(), caseSensitive.end());
        return out;
    }();
    return list;
}

QString redact(const QString& text)
{
    return redact(text, QDir::homePath());
}

QString redact(const QString& text, const QString& home)
{
    return redact(text, home, RedactionIdentities{});
}

QString redact(const QString& text, const QString& home, const RedactionIdentities& known)
{
    // One rule can expose what another must catch (an address right after an e-mail address loses its
    // word boundary only once the address is gone; "/home//home/x" shows its outer folder only once the
    // inner one is "$HOME"), so the rules run until the text settles. Each pass that changes anything
    // peels at least one such layer, and a text holds fewer layers than characters: bounded by the
    // length, every input settles, so redacting a redacted text changes nothing.
    const std::optional<QString> path = usableHome(home);
    QString result = RedactionRules::withPairedSurrogates(text);
    // The identities are learned from the text as it came, before any rule hid the lines that name them.
    RedactionIdentities identities = learnIdentities(result);
    identities.merge(known);
    const IdentityMatcher matcher(identities);
    const qsizetype maximumPasses = result.size() + 1;
    for (qsizetype pass = 0; pass < maximumPasses; ++pass) {
        QString next = redactOnce(result, path, matcher);
        if (next == result)
            break;
        result = std::move(next);
    }
    return result;
}

} // namespace orvane::DiagnosticRedactor
