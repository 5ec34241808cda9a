#include "records/UnicodeScalars.h"

#include <QChar>

namespace orvane {

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
