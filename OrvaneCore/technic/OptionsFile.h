#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>

namespace orvane {

class FileOperations;

// The game's options.txt: one "key:value" setting a line. Edits change only the lines they name;
// every other line, blank ones included, is kept as it was.
class OptionsFile final {
public:
    OptionsFile() = default;
    // Splits at line feeds; a final empty piece (text ending in "\n", or empty) is dropped. A
    // carriage return before a line feed belongs to the line end, so files written with CR LF
    // keep every setting and read the same values.
    explicit OptionsFile(const QString& text);

    // Throws the read error, or OrvaneError::io when the file is not UTF-8 text.
    static OptionsFile read(const std::filesystem::path& path, FileOperations& files);

    const QStringList& lines() const { return m_lines; }
    void setLines(QStringList lines) { m_lines = std::move(lines); }

    // The value of the last line that begins with key + ":".
    std::optional<QString> value(const QString& key) const;
    // Every "key:value" line (split at the first ":") except key bindings ("key_"); later lines win.
    QMap<QString, QString> nonKeyBindingValues() const;

    // Replaces the last line of `key` with key + ":" + value, or appends one. A key holding ":" or
    // a line break, or a value holding a line break, would change other lines: OrvaneError::io.
    void set(const QString& key, const QString& value);
    // A copy with set() applied for every pair, keys in ascending order. Nothing is changed when
    // any pair is refused.
    OptionsFile applying(const QMap<QString, QString>& values) const;

    // The lines joined with "\n", ending in "\n".
    QString text() const;
    // Writes text() atomically as UTF-8, keeping an existing file's permissions.
    void write(const std::filesystem::path& path, FileOperations& files) const;

    bool operator==(const OptionsFile&) const = default;

private:
    QStringList m_lines;
};

} // namespace orvane
