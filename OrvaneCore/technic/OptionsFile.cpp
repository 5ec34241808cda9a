#include "technic/OptionsFile.h"

#include "model/OrvaneError.h"
#include "platform/FileOperations.h"
#include "platform/PathText.h"
#include "technic/TechnicFileReading.h"

namespace orvane {

namespace {

bool hasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

void checkSetting(const QString& key, const QString& value)
{
    if (key.contains(QLatin1Char(':')) || hasLineBreak(key) || hasLineBreak(value))
        throw OrvaneError::io(QStringLiteral("Orvane will not write the options.txt setting \u201C%1\u201D: a key "
                                             "cannot hold \u201C:\u201D or a line break, and a value cannot hold a "
                                             "line break.")
                                  .arg(QString(key).replace(QLatin1Char('\n'), QLatin1Char(' '))
                                           .replace(QLatin1Char('\r'), QLatin1Char(' '))));
}

} // namespace

OptionsFile::OptionsFile(const QString& text)
{
    m_lines = text.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
    for (auto& line : m_lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
}

OptionsFile OptionsFile::read(const std::filesystem::path& path, FileOperations& files)
{
    const auto text = strictUtf8(files.readRegularFile(path, technicFileByteLimit));
    if (!text)
        throw OrvaneError::io(QStringLiteral("%1 is not UTF-8 text.").arg(pathText(path)));
    return OptionsFile(*text);
}

std::optional<QString> OptionsFile::value(const QString& key) const
{
    const QString prefix = key + QLatin1Char(':');
    for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it) {
        if (it->startsWith(prefix))
            return it->mid(prefix.size());
    }
    return std::nullopt;
}

QMap<QString, QString> OptionsFile::nonKeyBindingValues() const
{
    QMap<QString, QString> values;
    for (const auto& line : m_lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString key = line.left(colon);
        if (key.startsWith(QLatin1String("key_")))
            continue;
        values.insert(key, line.mid(colon + 1));
    }
    return values;
}

void OptionsFile::set(const QString& key, const QString& value)
{
    checkSetting(key, value);
    const QString prefix = key + QLatin1Char(':');
    const QString line = prefix + value;
    for (auto i = m_lines.size(); i > 0; --i) {
        if (m_lines[i - 1].startsWith(prefix)) {
            m_lines[i - 1] = line;
            return;
        }
    }
    m_lines.append(line);
}

OptionsFile OptionsFile::applying(const QMap<QString, QString>& values) const
{
    OptionsFile copy = *this;
    for (auto it = values.cbegin(); it != values.cend(); ++it) // QMap iterates in ascending key order
        copy.set(it.key(), it.value());
    return copy;
}

QString OptionsFile::text() const
{
    return m_lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void OptionsFile::write(const std::filesystem::path& path, FileOperations& files) const
{
    files.writeAtomically(path, text().toUtf8(), existingModeOr(path, 0644));
}

} // namespace orvane
