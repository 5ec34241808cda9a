#include "model/IdentityMatcher.h"

#include "model/RedactionRules.h"

#include <QStringList>

#include <algorithm>
#include <utility>

namespace orvane {

namespace {

using Kind = IdentityKind;

// How much pattern text one expression takes, well within what the regular-expression library can
// compile into one program.
constexpr qsizetype patternBudget = 12000;

QString hex(unsigned value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0'));
}

bool isPlain(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') || c == QLatin1Char('-')
        || c == QLatin1Char('.');
}

// Every spelling of one value as a pattern: each character that logs, URLs or JSON may write otherwise
// becomes an alternation of its forms.
QString spellings(const QString& value)
{
    QString pattern;
    for (qsizetype i = 0; i < value.size();) {
        const qsizetype length = value.at(i).isHighSurrogate() && i + 1 < value.size() ? 2 : 1;
        const QString character = value.mid(i, length);
        i += length;
        if (length == 1 && isPlain(character.at(0))) {
            pattern += QRegularExpression::escape(character);
            continue;
        }
        QStringList forms{QRegularExpression::escape(character)};
        QString percent;
        for (const char byte : character.toUtf8())
            percent += QLatin1Char('%') + hex(static_cast<unsigned char>(byte), 2);
        QString json;
        for (const QChar unit : character)
            json += QStringLiteral("\\\\u") + hex(unit.unicode(), 4);
        forms << percent << json;
        if (character == QLatin1String(" "))
            forms << QStringLiteral("\\+");
        if (character == QLatin1String("/") || character == QLatin1String("\"") || character == QLatin1String("\\"))
            forms << QStringLiteral("\\\\") + QRegularExpression::escape(character);
        pattern += QStringLiteral("(?:") + forms.join(QLatin1Char('|')) + QLatin1Char(')');
    }
    return pattern;
}

QString idSpellings(const QString& value)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9a-f]{32}$"));
    if (!digits.match(value).hasMatch())
        return spellings(value);
    return value.mid(0, 8) + QStringLiteral("-?") + value.mid(8, 4) + QStringLiteral("-?") + value.mid(12, 4)
        + QStringLiteral("-?") + value.mid(16, 4) + QStringLiteral("-?") + value.mid(20, 12);
}

bool isWordUnit(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool isHexDigit(QChar c)
{
    const QChar lower = c.toLower();
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (lower >= QLatin1Char('a') && lower <= QLatin1Char('f'));
}

// A JSON escape ("\n") or a percent-encoded byte ends right before `at`: such text runs into the
// value without a break, yet stands for one.
bool escapeEndsAt(const QString& text, qsizetype at)
{
    if (at >= 2 && text.at(at - 2) == QLatin1Char('\\') && QStringView(u"nrtbf").contains(text.at(at - 1)))
        return true;
    return at >= 3 && text.at(at - 3) == QLatin1Char('%') && isHexDigit(text.at(at - 2)) && isHexDigit(text.at(at - 1));
}

// Whether the value found at [start, end) stands as a whole word of its kind.
bool standsAlone(const QString& text, qsizetype start, qsizetype end, Kind kind)
{
    if (start > 0 && !escapeEndsAt(text, start)) {
        const QChar before = text.at(start - 1);
        const bool joined = kind == Kind::id     ? before.isLetterOrNumber()
                          : kind == Kind::name ? isWordUnit(before)
                                               : isWordUnit(before) || before == QLatin1Char('-');
        if (joined)
            return false;
    }
    if (end < text.size()) {
        const QChar after = text.at(end);
        if (kind == Kind::id)
            return !after.isLetterOrNumber();
        if (isWordUnit(after))
            return false;
        // A host's subdomains and domains count as the host ("mc.play.example.net", "laptop.lan").
        if (kind == Kind::host && after == QLatin1Char('-'))
            return false;
    }
    return true;
}

QLatin1String marker(Kind kind)
{
    switch (kind) {
    case Kind::name:
        return QLatin1String("[REDACTED_USER]");
    case Kind::id:
        return QLatin1String("[REDACTED_ID]");
    case Kind::host:
        break;
    }
    return QLatin1String("[REDACTED_SERVER]");
}

} // namespace

IdentityMatcher::IdentityMatcher(const RedactionIdentities& identities)
{
    struct Entry {
        QString value;
        Kind kind;
    };
    std::vector<Entry> entries;
    for (const QString& value : identities.names)
        entries.push_back({value, Kind::name});
    for (const QString& value : identities.ids)
        entries.push_back({value, Kind::id});
    for (const QString& value : identities.hosts)
        entries.push_back({value, Kind::host});
    // Longest first: where one value begins another, the longer is tried first at that place.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.value.size() > b.value.size(); });

    QStringList alternatives;
    std::vector<Kind> kinds{Kind::name}; // group 0 is the whole match
    qsizetype length = 0;
    const auto flush = [&] {
        if (alternatives.isEmpty())
            return;
        QRegularExpression expression(alternatives.join(QLatin1Char('|')),
                                      QRegularExpression::CaseInsensitiveOption
                                          | QRegularExpression::UseUnicodePropertiesOption);
        if (expression.isValid())
            m_parts.push_back(Part{std::move(expression), kinds});
        alternatives.clear();
        kinds = {Kind::name};
        length = 0;
    };
    for (const Entry& entry : entries) {
        const QString alternative = QLatin1Char('(')
            + (entry.kind == Kind::id ? idSpellings(entry.value) : spellings(entry.value)) + QLatin1Char(')');
        if (length + alternative.size() > patternBudget)
            flush();
        alternatives << alternative;
        kinds.push_back(entry.kind);
        length += alternative.size() + 1;
    }
    flush();
}

QString IdentityMatcher::apply(const QString& text) const
{
    if (m_parts.empty())
        return text;
    // Searched many times from different places, so checked once here instead of by each search.
    QString out = RedactionRules::withPairedSurrogates(text);
    for (const Part& part : m_parts)
        out = apply(out, part);
    return out;
}

QString IdentityMatcher::apply(const QString& text, const Part& part) const
{
    QString out;
    bool changed = false;
    qsizetype last = 0;
    qsizetype from = 0;
    while (from < text.size()) {
        const QRegularExpressionMatch match = part.expression.match(
            text, from, QRegularExpression::NormalMatch, QRegularExpression::DontCheckSubjectStringMatchOption);
        if (!match.hasMatch())
            break;
        const qsizetype start = match.capturedStart();
        const qsizetype end = match.capturedEnd();
        const int group = match.lastCapturedIndex();
        const Kind kind = group > 0 && std::size_t(group) < part.kinds.size() ? part.kinds[std::size_t(group)] : Kind::name;
        if (end == start || !standsAlone(text, start, end, kind)) {
            // Part of a longer word: another value may still begin inside it.
            from = start + 1;
            continue;
        }
        if (!changed) {
            out.reserve(text.size());
            changed = true;
        }
        out += QStringView(text).mid(last, start - last);
        out += marker(kind);
        last = end;
        from = end;
    }
    if (!changed)
        return text;
    out += QStringView(text).mid(last);
    return out;
}

} // namespace orvane
