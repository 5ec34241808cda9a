#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <vector>

namespace orvane {

// The text of a JSON document whose top level is an object, edited member by member: every byte
// outside the members an edit names (their order, spacing, line ends, the other members) stays as
// it was, so a file another program formats its own way is changed only where it must be.
class JsonObjectText final {
public:
    // Nothing when the bytes are not a JSON document whose top level is an object.
    static std::optional<JsonObjectText> parse(const QByteArray& bytes);

    const QByteArray& bytes() const { return m_bytes; }
    QJsonObject object() const;
    bool isEmpty() const { return m_members.empty(); }

    // The value text of the last member named `key` (as JSON reads duplicates), exactly as written.
    std::optional<QByteArray> rawValue(const QString& key) const;

    // Every member named `key` gets the value text `raw` (itself valid JSON); without one, a member
    // is added after the last, spaced as that one is.
    void set(const QString& key, const QByteArray& raw);
    // Every member named `key` goes, with its separator.
    void remove(const QString& key);

private:
    struct Member {
        QString key;
        qsizetype start = 0;      // the key's opening quote
        qsizetype keyEnd = 0;     // just after the key's closing quote
        qsizetype valueStart = 0;
        qsizetype valueEnd = 0;
    };

    explicit JsonObjectText(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    bool scan();

    QByteArray m_bytes;
    qsizetype m_open = 0;  // the top level's "{"
    qsizetype m_close = 0; // its "}"
    std::vector<Member> m_members;
};

} // namespace orvane
