#pragma once

#include <QString>
#include <QStringView>

namespace orvane {

// The end of a text that keeps growing, at most `capacity` UTF-16 units: what an excerpt shows of a
// log of any size, at a cost that does not grow with the log. A cut starts at a line where one
// begins in the first half of what is kept (a line cut in two could hide part of a path or a secret
// from redaction), and never splits a character in two.
class TextTail final {
public:
    explicit TextTail(qsizetype capacity);

    void append(QStringView text);

    const QString& text() const { return m_text; }

private:
    qsizetype m_capacity;
    QString m_text;
};

} // namespace orvane
