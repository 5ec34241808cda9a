#include "model/RedactionRules.h"

#include "model/ServiceHosts.h"

namespace orvane::RedactionRules {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

void appendExpanded(QString& out, const QString& replacement, const QRegularExpressionMatch& match)
{
    const int groups = match.regularExpression().captureCount();
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement.at(i);
        if (c == QLatin1Char('\\') && i + 1 < replacement.size()) {
            out += replacement.at(++i);
        } else if (c == QLatin1Char('$') && i + 1 < replacement.size() && isAsciiDigit(replacement.at(i + 1))) {
            int group = replacement.at(++i).unicode() - '0';
            // Further digits belong to the number only while it still names a group.
            while (i + 1 < replacement.size() && isAsciiDigit(replacement.at(i + 1))
                   && group * 10 + (replacement.at(i + 1).unicode() - '0') <= groups)
                group = group * 10 + (replacement.at(++i).unicode() - '0');
            if (group <= groups)
                out += match.capturedView(group);
        } else {
            out += c;
        }
    }
}

} // namespace

std::vector<DiagnosticRedactor::Rule> compile(std::initializer_list<std::pair<QString, QString>> table,
                                              QRegularExpression::PatternOptions options)
{
    std::vector<DiagnosticRedactor::Rule> out;
    for (const auto& [pattern, replacement] : table) {
        QRegularExpression expression(pattern, options);
        // isValid() compiles now, so later matching from any thread only reads the compiled pattern.
        if (!expression.isValid())
            continue;
        out.push_back(DiagnosticRedactor::Rule{expression, replacement});
    }
    return out;
}

QString apply(const QString& text, const DiagnosticRedactor::Rule& rule, QRegularExpression::MatchOptions options)
{
    QRegularExpressionMatchIterator it = rule.expression.globalMatch(text, 0, QRegularExpression::NormalMatch, options);
    QString out;
    QString expanded;
    qsizetype last = 0;
    bool changed = false;
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        expanded.clear();
        appendExpanded(expanded, rule.replacement, match);
        if (expanded == match.capturedView())
            continue;
        if (!changed) {
            out.reserve(text.size());
            changed = true;
        }
        out += QStringView(text).mid(last, match.capturedStart() - last);
        out += expanded;
        last = match.capturedEnd();
    }
    if (!changed)
        return text;
    out += QStringView(text).mid(last);
    return out;
}

QString withPairedSurrogates(const QString& text)
{
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        if (c.isHighSurrogate() && i + 1 < out.size() && out.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

QString notAKeptHost()
{
    return QStringLiteral("(?!(?:") + QLatin1String(serviceHostsPattern)
        + QStringLiteral(R"re(|localhost|127(?:\.\d{1,3}){3}|::1)(?![a-z0-9.-])(?!:[a-z:])))re");
}

} // namespace orvane::RedactionRules
