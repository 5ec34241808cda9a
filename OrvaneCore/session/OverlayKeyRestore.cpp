#include "session/OverlayKeyRestore.h"

#include "json/JsonObjectText.h"
#include "model/OrvaneError.h"
#include "technic/OptionsFile.h"
#include "technic/TechnicFileReading.h"

#include <algorithm>

namespace orvane::OverlayKeyRestore {

namespace {

using Action = Outcome::Action;

OptionsFile optionsOf(const QByteArray& bytes, const QString& fileName)
{
    const auto text = strictUtf8(bytes);
    if (!text)
        throw OrvaneError::io(QStringLiteral("%1 is not UTF-8 text.").arg(fileName));
    return OptionsFile(*text);
}

JsonObjectText objectOf(const QByteArray& bytes, const QString& fileName)
{
    auto object = JsonObjectText::parse(bytes);
    if (!object)
        throw OrvaneError::io(QStringLiteral("%1 is not a JSON object").arg(fileName));
    return *object;
}

// The last line of `key`, as OptionsFile::value reads it.
std::optional<qsizetype> lastLineOf(const QStringList& lines, const QString& prefix)
{
    for (qsizetype i = lines.size(); i-- > 0;) {
        if (lines[i].startsWith(prefix))
            return i;
    }
    return std::nullopt;
}

// `bytes` as the file's content: nothing to do where it holds them already.
Outcome becoming(const QByteArray& bytes, const QByteArray& current)
{
    return {bytes == current ? Action::keep : Action::write, bytes};
}

// The file with the keys put back, `restored`: gone where Balanced created it and nothing else is
// left (`blank`), its exact bytes from before where it reads as it did then (`asBefore`).
Outcome settled(const std::optional<QByteArray>& original, const QByteArray& current, const QByteArray& restored,
                bool blank, bool asBefore)
{
    if (!original && blank)
        return {Action::remove, {}};
    return becoming(original && asBefore ? *original : restored, current);
}

Outcome restoreOptions(const std::optional<QByteArray>& original, const QByteArray& current,
                       const QStringList& keys, const QString& fileName)
{
    const std::optional<OptionsFile> before = original ? std::optional(optionsOf(*original, fileName)) : std::nullopt;
    QStringList lines = optionsOf(current, fileName).lines();
    for (const QString& key : keys) {
        const QString prefix = key + QLatin1Char(':');
        const auto from = before ? lastLineOf(before->lines(), prefix) : std::nullopt;
        if (!from) {
            lines.removeIf([&](const QString& line) { return line.startsWith(prefix); });
            continue;
        }
        const QString& line = before->lines()[*from];
        if (const auto at = lastLineOf(lines, prefix))
            lines[*at] = line;
        else
            lines.append(line);
    }
    OptionsFile restored;
    restored.setLines(lines);
    const bool blank =
        std::all_of(lines.begin(), lines.end(), [](const QString& line) { return line.trimmed().isEmpty(); });
    return settled(original, current, restored.text().toUtf8(), blank, before && restored == *before);
}

Outcome restoreJson(const std::optional<QByteArray>& original, const QByteArray& current, const QStringList& keys,
                    const QString& fileName)
{
    JsonObjectText now = objectOf(current, fileName);
    const std::optional<JsonObjectText> before = original ? JsonObjectText::parse(*original) : std::nullopt;
    if (original && !before) // never an object Balanced could have edited: it is what was there
        return becoming(*original, current);
    for (const QString& key : keys) {
        if (const auto raw = before ? before->rawValue(key) : std::nullopt)
            now.set(key, *raw);
        else
            now.remove(key);
    }
    return settled(original, current, now.bytes(), now.isEmpty(), before && now.object() == before->object());
}

} // namespace

Outcome restore(Form form, const std::optional<QByteArray>& original, const std::optional<QByteArray>& current,
                const QStringList& keys, const QString& fileName)
{
    if (!current) {
        if (!original)
            return {Action::keep, {}};
        return {Action::write, *original};
    }
    return form == Form::options ? restoreOptions(original, *current, keys, fileName)
                                 : restoreJson(original, *current, keys, fileName);
}

} // namespace orvane::OverlayKeyRestore
