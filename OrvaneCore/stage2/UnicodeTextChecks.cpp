#include "stage2/UnicodeTextChecks.h"

#include <QString>

namespace orvane {

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

qsizetype utf8ByteCount(QStringView text)
{
    qsizetype n = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        n += u < 0x80 ? 1 : u < 0x800 ? 2 : c.isSurrogate() ? 2 : 3;
    }
    return n;
}

bool containsControlCharacter(QStringView text)
{
    for (const QChar c : text) {
        if (isControlCharacter(c))
            return true;
    }
    return false;
}

bool isInNormalizationFormC(QStringView text)
{
    const QString copy = text.toString();
    return copy.normalized(QString::NormalizationForm_C) == copy;
}

} // namespace orvane
