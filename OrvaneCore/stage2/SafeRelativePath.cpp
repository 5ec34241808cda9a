#include "stage2/SafeRelativePath.h"

#include "json/DecodingError.h"
#include "model/OrvaneError.h"
#include "stage2/NameFolding.h"
#include "stage2/UnicodeTextChecks.h"

namespace orvane {

namespace {

[[noreturn]] void refuse(const QString& text)
{
    throw OrvaneError::policyDenied(QStringLiteral("Unsafe relative path: ") + text);
}

bool isSafePiece(QStringView piece)
{
    return !piece.isEmpty() && piece != u"." && piece != u".." && !piece.contains(u':')
        && !piece.endsWith(u'.') && !piece.endsWith(u' ')
        && utf8ByteCount(piece) <= SafeRelativePath::maximumPieceByteCount;
}

} // namespace

SafeRelativePath::SafeRelativePath(const QString& text) : m_rawValue(parse(text)) {}

QString SafeRelativePath::parse(const QString& text)
{
    if (text.isEmpty() || hasUnpairedSurrogate(text))
        refuse(text);
    if (utf8ByteCount(text) > maximumByteCount)
        refuse(text);
    // Code-unit equality, not canonical equivalence: a decomposed name, or a singleton such as
    // KELVIN SIGN, differs from its composed form and is refused.
    if (!isInNormalizationFormC(text))
        refuse(text);
    if (text.startsWith(u'/') || text.startsWith(u'~'))
        refuse(text);
    if (text.contains(u'\\'))
        refuse(text);
    if (containsControlCharacter(text))
        refuse(text);
    // Invisible or reordering characters make the name shown differ from the name compared.
    if (containsInvisibleFormatCharacter(text))
        refuse(text);
    for (const QStringView piece : QStringView(text).split(u'/', Qt::KeepEmptyParts)) {
        if (!isSafePiece(piece))
            refuse(text);
    }
    return text;
}

bool isWorldSavePath(QStringView path)
{
    // Each piece under the collision key, so that no spelling a folding volume reads as "saves" passes.
    for (const QStringView piece : path.split(u'/', Qt::SkipEmptyParts)) {
        if (foldedName(piece) == u"saves")
            return true;
    }
    return false;
}

QString pathCollisionKey(const QString& path)
{
    return foldedName(path);
}

QStringList properLeadingParts(const QString& path)
{
    QStringList parts;
    for (qsizetype slash = path.indexOf(u'/'); slash >= 0; slash = path.indexOf(u'/', slash + 1))
        parts.append(path.left(slash));
    return parts;
}

QJsonValue toJson(const SafeRelativePath& path)
{
    return path.rawValue();
}

template <>
SafeRelativePath fromJson<SafeRelativePath>(const QJsonValue& value)
{
    const QString text = decodeString(value, QStringLiteral("SafeRelativePath"));
    try {
        return SafeRelativePath(text);
    } catch (const OrvaneError&) {
        throw DecodingError(QStringLiteral("Unsafe relative path"));
    }
}

} // namespace orvane
