#include "json/JsonObjectText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

namespace orvane {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

qsizetype skipSpace(const QByteArray& text, qsizetype at)
{
    while (at < text.size() && isSpace(text[at]))
        ++at;
    return at;
}

// Just after the string that opens at `at`.
qsizetype skipString(const QByteArray& text, qsizetype at)
{
    for (++at; at < text.size(); ++at) {
        if (text[at] == '\\')
            ++at;
        else if (text[at] == '"')
            return at + 1;
    }
    return -1;
}

// Just after the value that begins at `at`; -1 when the text ends first. The document was parsed
// already, so only its extent is looked for.
qsizetype skipValue(const QByteArray& text, qsizetype at)
{
    if (at >= text.size())
        return -1;
    if (text[at] == '"')
        return skipString(text, at);
    if (text[at] == '{' || text[at] == '[') {
        int depth = 0;
        while (at < text.size()) {
            const char c = text[at];
            if (c == '"') {
                at = skipString(text, at);
                if (at < 0)
                    return -1;
                continue;
            }
            if (c == '{' || c == '[')
                ++depth;
            else if ((c == '}' || c == ']') && --depth == 0)
                return at + 1;
            ++at;
        }
        return -1;
    }
    while (at < text.size() && !isSpace(text[at]) && text[at] != ',' && text[at] != '}' && text[at] != ']')
        ++at;
    return at;
}

// A key as the JSON text of a string.
QByteArray quoted(const QString& key)
{
    QByteArray array = QJsonDocument(QJsonArray{key}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QString unquoted(const QByteArray& token)
{
    return QJsonDocument::fromJson("[" + token + "]").array().at(0).toString();
}

} // namespace

std::optional<JsonObjectText> JsonObjectText::parse(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    JsonObjectText text(bytes);
    if (!text.scan())
        return std::nullopt;
    return text;
}

bool JsonObjectText::scan()
{
    m_members.clear();
    qsizetype at = 0;
    if (m_bytes.startsWith("\xEF\xBB\xBF"))
        at = 3;
    at = skipSpace(m_bytes, at);
    if (at >= m_bytes.size() || m_bytes[at] != '{')
        return false;
    m_open = at;
    at = skipSpace(m_bytes, at + 1);
    while (at < m_bytes.size() && m_bytes[at] == '"') {
        Member member;
        member.start = at;
        member.keyEnd = skipString(m_bytes, at);
        if (member.keyEnd < 0)
            return false;
        member.key = unquoted(m_bytes.mid(at, member.keyEnd - at));
        at = skipSpace(m_bytes, member.keyEnd);
        if (at >= m_bytes.size() || m_bytes[at] != ':')
            return false;
        member.valueStart = skipSpace(m_bytes, at + 1);
        member.valueEnd = skipValue(m_bytes, member.valueStart);
        if (member.valueEnd < 0)
            return false;
        m_members.push_back(member);
        at = skipSpace(m_bytes, member.valueEnd);
        if (at < m_bytes.size() && m_bytes[at] == ',')
            at = skipSpace(m_bytes, at + 1);
    }
    if (at >= m_bytes.size() || m_bytes[at] != '}')
        return false;
    m_close = at;
    return true;
}

QJsonObject JsonObjectText::object() const
{
    return QJsonDocument::fromJson(m_bytes).object();
}

std::optional<QByteArray> JsonObjectText::rawValue(const QString& key) const
{
    for (auto it = m_members.rbegin(); it != m_members.rend(); ++it) {
        if (it->key == key)
            return m_bytes.mid(it->valueStart, it->valueEnd - it->valueStart);
    }
    return std::nullopt;
}

void JsonObjectText::set(const QString& key, const QByteArray& raw)
{
    bool found = false;
    // From the last member on, so that earlier positions stay valid.
    for (auto it = m_members.rbegin(); it != m_members.rend(); ++it) {
        if (it->key != key)
            continue;
        m_bytes.replace(it->valueStart, it->valueEnd - it->valueStart, raw);
        found = true;
    }
    if (!found) {
        if (m_members.empty()) {
            m_bytes.insert(m_open + 1, quoted(key) + ": " + raw);
        } else {
            const Member& last = m_members.back();
            const qsizetype before = m_members.size() > 1 ? m_members[m_members.size() - 2].valueEnd : m_open + 1;
            // The new member is spaced as the last one: what follows its comma, and around its colon.
            const QByteArray gap = m_bytes.mid(before, last.start - before);
            const QByteArray indent = gap.mid(gap.lastIndexOf(',') + 1);
            const QByteArray colon = m_bytes.mid(last.keyEnd, last.valueStart - last.keyEnd);
            m_bytes.insert(last.valueEnd, "," + indent + quoted(key) + colon + raw);
        }
    }
    scan();
}

void JsonObjectText::remove(const QString& key)
{
    for (std::size_t i = m_members.size(); i-- > 0;) {
        if (m_members[i].key != key)
            continue;
        const Member& member = m_members[i];
        if (i > 0)
            m_bytes.remove(m_members[i - 1].valueEnd, member.valueEnd - m_members[i - 1].valueEnd);
        else if (m_members.size() > 1)
            m_bytes.remove(member.start, m_members[1].start - member.start);
        else
            m_bytes.remove(m_open + 1, m_close - m_open - 1);
        scan();
    }
}

} // namespace orvane
