#include "stage2/SafeRelativePath.h"

#include "json/DecodingError.h"
#include "model/OrvaneError.h"

namespace orvane {

namespace {

[[noreturn]] void refuse(const QString& text)
{
    throw OrvaneError::policyDenied(QStringLiteral("Unsafe relative path: ") + text);
}

// A QString that is not well-formed UTF-16 has no UTF-8 form; converting it would replace, not refuse.
bool hasUnpairedSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

// UTF-8 length of well-formed UTF-16: a surrogate pair is four bytes, two per unit.
qsizetype utf8Length(QStringView text)
{
    qsizetype n = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        n += u < 0x80 ? 1 : u < 0x800 ? 2 : c.isSurrogate() ? 2 : 3;
    }
    return n;
}

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

bool isSafePiece(QStringView piece)
{
    return !piece.isEmpty() && piece != u"." && piece != u".." && !piece.contains(u':')
        && !piece.endsWith(u'.') && !piece.endsWith(u' ')
        && utf8Length(piece) <= SafeRelativePath::maximumPieceByteCount;
}

} // namespace

SafeRelativePath::SafeRelativePath(const QString& text) : m_rawValue(parse(text)) {}

QString SafeRelativePath::parse(const QString& text)
{
    if (text.isEmpty() || hasUnpairedSurrogate(text))
        refuse(text);
    if (utf8Length(text) > maximumByteCount)
        refuse(text);
    // Code-unit equality, not canonical equivalence: a decomposed name, or a singleton such as
    // KELVIN SIGN, differs from its composed form and is refused.
    if (text.normalized(QString::NormalizationForm_C) != text)
        refuse(text);
    if (text.startsWith(u'/') || text.startsWith(u'~'))
        refuse(text);
    if (text.contains(u'\\'))
        refuse(text);
    for (const QChar c : text) {
        if (isControl(c))
            refuse(text);
    }
    for (const QStringView piece : QStringView(text).split(u'/', Qt::KeepEmptyParts)) {
        if (!isSafePiece(piece))
            refuse(text);
    }
    return text;
}

bool isWorldSavePath(QStringView path)
{
    for (const QStringView piece : path.split(u'/', Qt::SkipEmptyParts)) {
        if (piece.compare(u"saves", Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString pathCollisionKey(const QString& path)
{
    return path.normalized(QString::NormalizationForm_C).toLower();
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
