#include "model/RedactionIdentities.h"

#include "model/ServiceHosts.h"

#include <QRegularExpression>

#include <optional>
#include <string_view>

namespace orvane {

namespace {

// Words a launcher or game log uses for itself, and default account and machine names: replacing
// them wherever they stand would erase the diagnosis (an offline player is "Player"; a home folder
// of a test machine may end in "home").
bool isCommonWord(const QString& lower)
{
    static constexpr std::string_view words[] = {
        "admin", "administrator", "alex", "arch", "chat", "client", "code", "debian", "debug", "default",
        "desktop", "email", "error", "false", "fedora", "fml", "forge", "game", "guest", "home",
        "host", "info", "java", "launcher", "linux", "local", "localdomain", "localhost", "mail", "main",
        "minecraft", "mojang", "name", "none", "null", "player", "query", "root", "server", "steve",
        "system", "technic", "tekkit", "test", "tester", "thread", "token", "true", "ubuntu", "unknown",
        "user", "users",
    };
    const QByteArray utf8 = lower.toUtf8();
    const std::string_view word(utf8.constData(), std::size_t(utf8.size()));
    for (const std::string_view candidate : words) {
        if (candidate == word)
            return true;
    }
    return false;
}

// A value long enough to be told apart, on one line, and not one of the redactor's own markers.
bool isDistinctive(const QString& lower)
{
    if (lower.size() < 3 || lower.size() > 128)
        return false;
    for (const QChar c : lower) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return !lower.contains(QLatin1String("redacted")) && !lower.contains(QLatin1String("$home"))
        && !isCommonWord(lower);
}

std::optional<QString> uuidDigits(const QString& value)
{
    static const QRegularExpression shape(
        QStringLiteral("^[0-9a-f]{8}-?[0-9a-f]{4}-?[0-9a-f]{4}-?[0-9a-f]{4}-?[0-9a-f]{12}$"),
        QRegularExpression::CaseInsensitiveOption);
    if (!shape.match(value).hasMatch())
        return std::nullopt;
    QString digits = value.toLower();
    digits.remove(QLatin1Char('-'));
    return digits;
}

bool isLoopbackOrService(const QString& host)
{
    static const QRegularExpression kept(
        QStringLiteral(R"re(^(?:localhost(?:\.localdomain)?|127(?:\.\d{1,3}){3}|0\.0\.0\.0|::1?|)re")
        + QLatin1String(serviceHostsPattern) + QStringLiteral(")$"));
    return kept.match(host).hasMatch();
}

} // namespace

void RedactionIdentities::addName(const QString& value)
{
    const QString trimmed = value.trimmed();
    if (const auto digits = uuidDigits(trimmed)) {
        addId(*digits);
        return;
    }
    const QString lower = trimmed.toLower();
    if (isDistinctive(lower))
        names.insert(lower);
}

void RedactionIdentities::addId(const QString& value)
{
    const QString trimmed = value.trimmed();
    if (const auto digits = uuidDigits(trimmed)) {
        // The nil UUID names no one.
        if (*digits != QString(32, QLatin1Char('0')))
            ids.insert(*digits);
        return;
    }
    static const QRegularExpression idShape(QStringLiteral("^[A-Za-z0-9_-]{8,128}$"));
    const QString lower = trimmed.toLower();
    if (idShape.match(lower).hasMatch() && isDistinctive(lower))
        ids.insert(lower);
}

void RedactionIdentities::addHost(const QString& value)
{
    QString host = value.trimmed().toLower();
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        host = close > 0 ? host.mid(1, close - 1) : QString();
    } else if (host.count(QLatin1Char(':')) == 1) {
        host.truncate(host.indexOf(QLatin1Char(':')));
    }
    while (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    static const QRegularExpression hostShape(QStringLiteral(R"re(^[\p{L}\p{N}_.:-]+$)re"),
                                              QRegularExpression::UseUnicodePropertiesOption);
    if (!hostShape.match(host).hasMatch() || isLoopbackOrService(host) || !isDistinctive(host))
        return;
    hosts.insert(host);
}

void RedactionIdentities::add(IdentityKind kind, const QString& value)
{
    switch (kind) {
    case IdentityKind::name:
        addName(value);
        return;
    case IdentityKind::id:
        addId(value);
        return;
    case IdentityKind::host:
        addHost(value);
        return;
    }
}

void RedactionIdentities::merge(const RedactionIdentities& other)
{
    names.insert(other.names.begin(), other.names.end());
    ids.insert(other.ids.begin(), other.ids.end());
    hosts.insert(other.hosts.begin(), other.hosts.end());
}

} // namespace orvane
