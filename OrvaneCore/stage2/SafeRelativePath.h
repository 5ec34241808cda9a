#pragma once

#include "json/JsonCodecs.h"

#include <QHash>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstddef>
#include <functional>

namespace orvane {

// A path relative to an install root that cannot leave the root, alias another entry through a
// different spelling, or smuggle in separators, control or invisible characters. It exists only for text
// that passed the rules; the text is kept exactly as given.
class SafeRelativePath final {
public:
    static constexpr qsizetype maximumByteCount = 1024;
    static constexpr qsizetype maximumPieceByteCount = 255;

    // Throws OrvaneError::policyDenied("Unsafe relative path: " + text) when a rule refuses.
    explicit SafeRelativePath(const QString& text);

    // The rules alone: returns `text` unchanged, or throws as the constructor does.
    static QString parse(const QString& text);

    const QString& rawValue() const { return m_rawValue; }

    bool operator==(const SafeRelativePath&) const = default;

private:
    QString m_rawValue;
};

// True when any "/"-separated piece of `path` has the collision key "saves" (the world saves).
bool isWorldSavePath(QStringView path);

// The key under which two spellings of a path name the same file on a file system that folds
// names: NFKC_Casefold (foldedName), so that "σ" and "ς", "ß" and "ss", "ﬁ" and "fi", or a name
// with and without U+200B, are one name. Every name check of stage 2 uses it: archive entries,
// manifest paths, the world-save test, and install roots.
QString pathCollisionKey(const QString& path);

// The folders a "/"-separated path or key needs, shortest first: "a" and "a/b" for "a/b/c".
QStringList properLeadingParts(const QString& path);

inline std::size_t qHash(const SafeRelativePath& path, std::size_t seed = 0) noexcept
{
    return qHash(path.rawValue(), seed);
}

// The bare string.
QJsonValue toJson(const SafeRelativePath& path);
// A string that passes the rules; otherwise DecodingError "Unsafe relative path".
template <>
SafeRelativePath fromJson<SafeRelativePath>(const QJsonValue& value);

} // namespace orvane

template <>
struct std::hash<orvane::SafeRelativePath> {
    std::size_t operator()(const orvane::SafeRelativePath& path) const noexcept { return qHash(path.rawValue()); }
};
