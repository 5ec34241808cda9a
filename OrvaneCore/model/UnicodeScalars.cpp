#include "model/UnicodeScalars.h"

#include <QChar>

namespace orvane {

bool isLetterMarkOrNumber(char32_t scalar)
{
    switch (QChar::category(scalar)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

bool everyScalar(const QString& text, bool (*allowed)(char32_t))
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        char32_t scalar = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            scalar = QChar::surrogateToUcs4(c, text.at(++i));
        else if (c.isSurrogate())
            return false;
        if (!allowed(scalar))
            return false;
    }
    return true;
}

} // namespace orvane
